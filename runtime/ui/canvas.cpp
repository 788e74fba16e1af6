// The canvas: a widget painted from its own 24-bit picture, reporting the pointer, the buttons,
// the wheel, keys and focus as control events that carry a data block.
//
// Where Qt differs: the pointer cannot be confined to the canvas (creation flag 2 is accepted
// and has no effect; attribute 10 stays 0), and the picture has no bitmap handle of its own
// (attribute 1 is 0): drawing reaches it through canvasTarget.
#include "runtime/ui/control_record.h"
#include "runtime/ui/controls.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/events.h"
#include "runtime/ui/virtual_key_map_internal.h"
#include "runtime/ui/wheel_notches.h"

#include "runtime/image/draw_target_internal.h"
#include "runtime/image/image.h"
#include "runtime/image/surface.h"

#include <qdrawutil.h>
#include <QFocusEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cstring>

namespace {

struct CanvasEventData {
    int x = 0;
    int y = 0;
    int buttons = 0;
    int virtualKey = 0;
    int modifiers = 0;
    int wheelSteps = 0;
    int character = 0;
};

void releaseEventData(void* data) { delete static_cast<CanvasEventData*>(data); }

// Shared by every canvas, as the wheel's remainder belongs to the wheel, not to one canvas.
WheelNotches wheelNotches;

int buttonBits(Qt::MouseButtons buttons) {
    return ((buttons & Qt::LeftButton) ? 1 : 0) | ((buttons & Qt::RightButton) ? 2 : 0) |
           ((buttons & Qt::MiddleButton) ? 4 : 0);
}

int modifierBits(Qt::KeyboardModifiers modifiers) {
    return ((modifiers & Qt::ShiftModifier) ? 1 : 0) | ((modifiers & Qt::AltModifier) ? 2 : 0) |
           ((modifiers & Qt::ControlModifier) ? 4 : 0);
}

class CanvasControl;

class CanvasWidget : public QWidget {
public:
    CanvasWidget(QWidget* parent, CanvasControl* owner) : QWidget(parent), owner_(owner) {
        setProperty("pixelsieveCanvas", true);
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setCursor(Qt::ArrowCursor);
    }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    CanvasControl* owner_;
};

class CanvasControl : public ControlRecord {
public:
    CanvasControl(int number, int window, QWidget* parent, int width, int height, int flags)
        : ControlRecord(number, window), flags_(flags) {
        auto* canvas = new CanvasWidget(parent, this);
        widget_ = canvas;
        own(canvas);
        canvas->setFocusPolicy((flags & 4) ? Qt::ClickFocus : Qt::NoFocus);
        const int border = (flags & 1) ? 2 : 0;
        if (border) canvas->setContentsMargins(border, border, border, border);
        ok_ = surface_.allocate(std::max(1, width - 2 * border), std::max(1, height - 2 * border));
        if (ok_) std::memset(surface_.pixels.data(), 0xFF, surface_.pixels.size());
    }
    ~CanvasControl() override { forgetSurface(&surface_); }

    bool ok() const { return ok_; }
    PixelSurface& surface() { return surface_; }
    std::string kind() const override { return "canvas"; }

    void post(int32_t kind, const CanvasEventData& data) {
        ControlRecord::post(kind, new CanvasEventData(data), releaseEventData);
    }

    CanvasEventData pointerData(const QSinglePointEvent* event) const {
        CanvasEventData data;
        const QPoint at = event->position().toPoint() - contentOrigin();
        data.x = at.x();
        data.y = at.y();
        data.buttons = buttonBits(event->buttons());
        data.modifiers = modifierBits(event->modifiers());
        return data;
    }

    void moved(QMouseEvent* event) {
        const bool entering = !inside_;
        inside_ = true;
        post(entering ? ControlEventKind::PointerEntered : ControlEventKind::PointerMoved,
             pointerData(event));
    }
    void left() {
        if (!inside_) return;
        inside_ = false;
        post(ControlEventKind::PointerLeft, CanvasEventData{});
    }
    void pressed(QMouseEvent* event, bool doubled) {
        // The canvas holds the pointer from the first button down to the last button up.
        if (event->buttons() == event->button()) captured_ = true;
        const CanvasEventData data = pointerData(event);
        switch (event->button()) {
            case Qt::LeftButton:
                post(ControlEventKind::LeftDown, data);
                if (doubled) post(ControlEventKind::LeftDoubleClick, data);
                break;
            case Qt::RightButton:
                post(ControlEventKind::RightDown, data);
                if (doubled) post(ControlEventKind::RightDoubleClick, data);
                break;
            case Qt::MiddleButton:
                post(ControlEventKind::MiddleDown, data);
                break;
            default:
                break;
        }
    }
    void released(QMouseEvent* event) {
        const bool held = captured_;
        if (event->buttons() == Qt::NoButton) captured_ = false;
        const CanvasEventData data = pointerData(event);
        const bool inside = widget_ && widget_->contentsRect().contains(event->position().toPoint());
        switch (event->button()) {
            case Qt::LeftButton:
                post(ControlEventKind::LeftUp, data);
                if (inside && held) post(ControlEventKind::Click, data);
                break;
            case Qt::RightButton:
                post(ControlEventKind::RightUp, data);
                if (inside && held) post(ControlEventKind::RightClick, data);
                break;
            case Qt::MiddleButton:
                post(ControlEventKind::MiddleUp, data);
                break;
            default:
                break;
        }
    }
    void wheel(QWheelEvent* event) {
        const int notches = wheelNotches.take(event->angleDelta().y());
        if (notches == 0) return;
        CanvasEventData data = pointerData(event);
        data.wheelSteps = notches;
        post(ControlEventKind::Wheel, data);
    }
    void key(QKeyEvent* event, bool down);
    void focus(bool gained) {
        post(gained ? ControlEventKind::FocusGained : ControlEventKind::FocusLost, CanvasEventData{});
        if (widget_) widget_->update();
    }

    void paint(QPainter& painter, const QRect& area) {
        if (!ok_) return;
        QImage picture(surface_.width, surface_.height, QImage::Format_BGR888);
        if (picture.isNull()) return;
        const int rowBytes = surface_.width * 3;
        for (int y = 0; y < surface_.height; ++y)
            std::memcpy(picture.scanLine(y), surface_.rowAt(y), rowBytes);
        painter.setClipRect(area);
        painter.drawImage(contentOrigin(), picture);
        if ((flags_ & 1) && widget_) qDrawShadePanel(&painter, widget_->rect(), widget_->palette(), true, 2);
    }

    int32_t attribute(int attribute) override {
        switch (attribute) {
            case CanvasAttribute::PointerX:
            case CanvasAttribute::PointerY:
            case CanvasAttribute::Buttons:
            case CanvasAttribute::VirtualKey:
            case CanvasAttribute::Modifiers:
            case CanvasAttribute::WheelSteps:
            case CanvasAttribute::Character: {
                const CanvasEventData* data = ownEventData();
                if (!data) return 0;
                switch (attribute) {
                    case CanvasAttribute::PointerX:
                        return data->x;
                    case CanvasAttribute::PointerY:
                        return data->y;
                    case CanvasAttribute::Buttons:
                        return data->buttons;
                    case CanvasAttribute::VirtualKey:
                        return data->virtualKey;
                    case CanvasAttribute::Modifiers:
                        return data->modifiers;
                    case CanvasAttribute::WheelSteps:
                        return data->wheelSteps;
                    default:
                        return data->character;
                }
            }
            default:
                return 0;  // 7: the arrow, the only pointer shape a canvas has here
        }
    }
    int takeFocus() override { return (flags_ & 4) ? ControlRecord::takeFocus() : 0; }

private:
    QPoint contentOrigin() const { return widget_ ? widget_->contentsRect().topLeft() : QPoint(); }
    // The data block of the current event when it is this canvas's own control event.
    const CanvasEventData* ownEventData() const {
        if (currentEventCode() != EventCode::Control || eventObject() != number() ||
            eventWindow() != window())
            return nullptr;
        return static_cast<const CanvasEventData*>(currentEventData());
    }

    int flags_;
    bool ok_ = false;
    bool inside_ = false;
    bool captured_ = false;
    PixelSurface surface_;
};

void CanvasControl::key(QKeyEvent* event, bool down) {
    CanvasEventData data;
    data.modifiers = modifierBits(event->modifiers());
    data.virtualKey = virtualKeyOf(*event);
    post(down ? ControlEventKind::KeyDown : ControlEventKind::KeyUp, data);
    const QString typed = event->text();
    if (down && !typed.isEmpty() && typed.at(0).unicode() >= 32) {
        CanvasEventData character = data;
        character.character = typed.at(0).unicode();
        post(ControlEventKind::Character, character);
    }
}

void CanvasWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    owner_->paint(painter, event->rect());
}
void CanvasWidget::mouseMoveEvent(QMouseEvent* event) { owner_->moved(event); }
void CanvasWidget::mousePressEvent(QMouseEvent* event) { owner_->pressed(event, false); }
void CanvasWidget::mouseDoubleClickEvent(QMouseEvent* event) { owner_->pressed(event, true); }
void CanvasWidget::mouseReleaseEvent(QMouseEvent* event) { owner_->released(event); }
void CanvasWidget::leaveEvent(QEvent*) { owner_->left(); }
void CanvasWidget::wheelEvent(QWheelEvent* event) { owner_->wheel(event); }
void CanvasWidget::keyPressEvent(QKeyEvent* event) { owner_->key(event, true); }
void CanvasWidget::keyReleaseEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat()) owner_->key(event, false);
}
void CanvasWidget::focusInEvent(QFocusEvent*) { owner_->focus(true); }
void CanvasWidget::focusOutEvent(QFocusEvent*) { owner_->focus(false); }

// The finishing action of a drawing pass: show the picture at once.
void repaintCanvas(void* context) {
    const int number = static_cast<int>(reinterpret_cast<intptr_t>(context));
    if (ControlRecord* record = controlRecord(number)) {
        if (dynamic_cast<CanvasControl*>(record) && record->widget()) record->widget()->repaint();
    }
}

}  // namespace

int createCanvas(int number, int x, int y, int width, int height, int flags) {
    int window = -1;
    QWidget* parent = prepareControlSlot(number, &window);
    if (!parent) return 0;
    auto record = std::make_unique<CanvasControl>(number, window, parent, width, height, flags);
    if (!record->ok()) return 0;
    QWidget* canvas = record->widget();
    canvas->setGeometry(x, y, std::max(1, width), std::max(1, height));
    canvas->show();
    return installControl(std::move(record));
}

DrawTarget* canvasTarget(int control) {
    auto* canvas = dynamic_cast<CanvasControl*>(controlRecord(control));
    if (!canvas || !canvas->ok()) return nullptr;
    return surfaceTarget(&canvas->surface(), repaintCanvas,
                         reinterpret_cast<void*>(static_cast<intptr_t>(control)));
}
