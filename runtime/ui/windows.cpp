// Numbered top-level windows over Qt widgets.
//
// Qt differs from the window system these operations were designed around in two places:
// - A window's outer size is not known before the window manager has framed it, so centring
//   uses the client size; without decorations (no window manager) both are the same.
// - Always-on-top is changed through the native window's flags, so that Qt does not hide and
//   re-create the window (which would move it) as changing the widget's own flags would.
#include "runtime/ui/window_internal.h"

#include "runtime/ui/control_record.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/events.h"
#include "runtime/ui/object_table.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QMenuBar>
#include <QScreen>
#include <QWindow>

#include <memory>

namespace {

ObjectTable<WindowRecord> windows(16);
int container = -1;

// The top-level widget: a close request only posts an event; the window stays open.
class WindowFrame : public QWidget {
public:
    explicit WindowFrame(int number) : number_(number) {}

protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        postEvent(EventCode::CloseWindow, number_, number_, 0);
    }
    void changeEvent(QEvent* event) override {
        QWidget::changeEvent(event);
        if (event->type() == QEvent::ActivationChange) {
            postEvent(isActiveWindow() ? EventCode::Activate : EventCode::Deactivate, number_, 0, 0);
        } else if (event->type() == QEvent::WindowStateChange) {
            const auto before = static_cast<QWindowStateChangeEvent*>(event)->oldState();
            if (windowState() & Qt::WindowMinimized)
                postEvent(EventCode::Minimize, number_, 0, 0);
            else if (before & (Qt::WindowMinimized | Qt::WindowMaximized))
                postEvent(EventCode::Restore, number_, 0, 0);
        }
    }
    void moveEvent(QMoveEvent* event) override {
        QWidget::moveEvent(event);
        if (event->spontaneous()) postEvent(EventCode::MoveWindow, number_, number_, 0);
    }

private:
    int number_;
};

Qt::WindowFlags qtFlagsOf(uint32_t flags) {
    constexpr uint32_t anyStyle = 0xEFFFFFF4u;
    Qt::WindowFlags qt = Qt::Window | Qt::CustomizeWindowHint;
    bool titleBar = (flags & WindowFlag::TitleBar) || !(flags & anyStyle);
    bool minimize = flags & WindowFlag::MinimizeBox;
    if (flags & WindowFlag::ToolWindow) {
        qt = Qt::Tool | Qt::CustomizeWindowHint;
        titleBar = true;
        minimize = false;
    }
    if (titleBar) qt |= Qt::WindowTitleHint;
    if (flags & WindowFlag::SystemMenu) qt |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (minimize) qt |= Qt::WindowMinimizeButtonHint;
    return qt;
}

QPoint centredIn(const QRect& area, QSize size) {
    const int x = (area.width() - std::min(area.width(), size.width())) / 2;
    const int y = (area.height() - std::min(area.height(), size.height())) / 2;
    return area.topLeft() + QPoint(std::max(0, x), std::max(0, y));
}

}  // namespace

int openWindow(int number, int x, int y, int innerWidth, int innerHeight, const char* title, uint32_t flags) {
    if (number < 0 || !qApp) return 0;
    if (windows.find(number)) closeWindow(number);
    if (innerWidth < 1 || innerHeight < 1) return 0;

    auto record = std::make_unique<WindowRecord>();
    record->number = number;
    auto* frame = new WindowFrame(number);
    frame->setWindowFlags(qtFlagsOf(flags));
    frame->setWindowTitle(QString::fromUtf8(title ? title : ""));
    frame->setFixedSize(innerWidth, innerHeight);
    frame->setAttribute(Qt::WA_DeleteOnClose, false);
    // Tooltips of the controls show also while another program is active.
    frame->setAttribute(Qt::WA_AlwaysShowToolTips);
    if (flags & WindowFlag::NoActivate) frame->setAttribute(Qt::WA_ShowWithoutActivating);
    record->frame = frame;
    record->client = new QWidget(frame);
    record->client->setGeometry(0, 0, innerWidth, innerHeight);
    record->client->show();
    // The window itself holds the keyboard focus until a control is given it; otherwise Qt
    // hands it to the first check box on activation, where keys would act on the control.
    frame->setFocus(Qt::OtherFocusReason);
    WindowRecord* installed = windows.put(number, std::move(record));

    QPoint position(x, y);
    if (flags & (WindowFlag::CentreOnScreen | WindowFlag::CentreOnParent)) {
        QRect area;
        if (flags & WindowFlag::CentreOnScreen) {
            if (QScreen* screen = QGuiApplication::primaryScreen()) area = screen->geometry();
        } else if (QWidget* active = QApplication::activeWindow()) {
            area = active->frameGeometry();
        } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
            area = screen->geometry();
        }
        if (area.isValid()) position = centredIn(area, frame->size());
    }
    frame->move(position);

    if (!(flags & WindowFlag::Hidden)) {
        if (flags & WindowFlag::ShowMinimized)
            frame->showMinimized();
        else
            frame->show();
        if (!(flags & WindowFlag::NoActivate)) frame->activateWindow();
    }
    if (!(flags & WindowFlag::NotContainer)) container = number;
    relayoutWindow(installed->number);
    return 1;
}

void closeWindow(int number) {
    WindowRecord* record = windows.find(number);
    if (!record) return;
    dropShortcuts(number);
    destroyControlsOf(number);
    forgetWindowEvents(number);
    delete record->frame.data();
    windows.erase(number);
    if (container == number) container = -1;
}

void closeAllWindows() {
    for (int number = 0; number < windows.size(); ++number) closeWindow(number);
}

WindowHandle windowHandle(int number) {
    WindowRecord* record = windows.find(number);
    return record && record->frame ? static_cast<WindowHandle>(record->frame.data()) : nullptr;
}

void setWindowTitle(int number, const char* text) {
    WindowRecord* record = windows.find(number);
    if (!record || !text || !record->frame) return;
    record->frame->setWindowTitle(QString::fromUtf8(text));
}

std::string windowTitle(int number) {
    WindowRecord* record = windows.find(number);
    if (!record || !record->frame) return {};
    return record->frame->windowTitle().toStdString();
}

void setStayOnTop(int number, int on) {
    WindowRecord* record = windows.find(number);
    if (!record || !record->frame) return;
    QWidget* frame = record->frame;
    QWindow* native = frame->windowHandle();
    if (!native) {
        // Not shown yet: the widget's flags are what will be used when it is.
        frame->setWindowFlag(Qt::WindowStaysOnTopHint, on != 0);
        return;
    }
    native->setFlag(Qt::WindowStaysOnTopHint, on != 0);
}

int activeWindow() { return windowNumberOf(QApplication::activeWindow()); }

void placeWindowBeside(int number, int other) {
    WindowRecord* record = windows.find(number);
    WindowRecord* beside = windows.find(other);
    if (!record || !record->frame || !beside || !beside->frame) return;
    const QRect anchor = beside->frame->frameGeometry();
    const QSize size = record->frame->frameGeometry().size();
    QScreen* screen = beside->frame->screen();
    const QRect area =
        screen ? screen->availableGeometry() : QRect(anchor.topLeft(), QSize(1 << 16, 1 << 16));
    int x = anchor.right() + 1;
    if (x + size.width() > area.right() + 1) {
        x = anchor.left() - size.width();
        if (x < area.left()) x = std::max(area.left(), area.right() + 1 - size.width());
    }
    record->frame->move(x, anchor.top());
}

static bool pointerInClient(int number, QPoint* at) {
    WindowRecord* record = windows.find(number);
    if (!record || !record->client || !record->frame || !record->frame->isVisible()) return false;
    const QPoint p = record->client->mapFromGlobal(QCursor::pos());
    if (!record->client->rect().contains(p)) return false;
    *at = p;
    return true;
}

int windowMouseX(int number) {
    QPoint at;
    return pointerInClient(number, &at) ? at.x() : -1;
}

int windowMouseY(int number) {
    QPoint at;
    return pointerInClient(number, &at) ? at.y() : -1;
}

WindowRecord* windowRecord(int number) { return windows.find(number); }

int windowNumberOf(const QWidget* widget) {
    if (!widget) return -1;
    const QWidget* top = widget->window();
    for (int number = 0; number < windows.size(); ++number) {
        WindowRecord* record = windows.find(number);
        if (record && record->frame == top) return number;
    }
    return -1;
}

int windowNumberOfNative(const QWindow* window) {
    if (!window) return -1;
    for (int number = 0; number < windows.size(); ++number) {
        WindowRecord* record = windows.find(number);
        if (record && record->frame && record->frame->windowHandle() == window) return number;
    }
    return -1;
}

void relayoutWindow(int number) {
    WindowRecord* record = windows.find(number);
    if (!record || !record->frame || !record->client) return;
    const int width = record->frame->width();
    const int height = record->frame->height();
    int top = 0;
    if (record->menuBar) {
        const int barHeight = record->menuBar->sizeHint().height();
        record->menuBar->setGeometry(0, 0, width, barHeight);
        top = barHeight;
    }
    record->client->setGeometry(0, top, width, std::max(0, height - top));
    if (QWidget* bar = record->statusBar) {
        const int barHeight = bar->height();
        QPoint origin(0, record->client->height() - barHeight);
        // The bar may be a child of the client or of the frame.
        if (bar->parentWidget() != record->client) origin += record->client->pos();
        bar->setGeometry(QRect(origin, QSize(record->client->width(), barHeight)));
        bar->raise();
    }
}

int containerWindow() { return windows.find(container) ? container : -1; }
