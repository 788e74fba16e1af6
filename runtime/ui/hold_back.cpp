#include "runtime/ui/hold_back_internal.h"

#include "runtime/ui/window_internal.h"

#include <QApplication>
#include <QWindow>

bool staysOnTop(const QWidget* window) {
    if (const QWindow* native = window->windowHandle()) {
        return native->flags().testFlag(Qt::WindowStaysOnTopHint);
    }
    return window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void setStaysOnTop(QWidget* window, bool on) {
    if (QWindow* native = window->windowHandle()) {
        native->setFlag(Qt::WindowStaysOnTopHint, on);
    } else {
        window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    }
}

HeldBackWindows::HeldBackWindows() : owner_(QApplication::activeWindow()) {
    enterModal();
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible()) continue;
        const Qt::WindowType type = top->windowType();
        if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::Desktop) continue;
        if (staysOnTop(top)) {
            setStaysOnTop(top, false);
            loweredOnTop_.emplace_back(top);
        }
    }
}

HeldBackWindows::~HeldBackWindows() {
    for (const QPointer<QWidget>& top : loweredOnTop_) {
        if (top) setStaysOnTop(top, true);
    }
    leaveModal();
}
