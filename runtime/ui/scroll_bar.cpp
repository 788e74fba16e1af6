// Scroll bars. Every user action reports kind 0 and runs the bound procedures at once, inside
// Qt's dispatch of the input: each arrow or page step, each movement of a dragged thumb, and the
// closing release of the button (the end of scrolling). The range is [min, max - page + 1].
#include "runtime/ui/control_record.h"
#include "runtime/ui/controls.h"

#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>
#include <functional>

namespace {

class ScrollBarWidget : public QScrollBar {
public:
    ScrollBarWidget(Qt::Orientation orientation, QWidget* parent) : QScrollBar(orientation, parent) {}
    // Runs once for each closing notification of a user action: the thumb's release (after a
    // drag) and the end of scrolling.
    std::function<void()> onRelease;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        const bool dragging = isSliderDown();
        QScrollBar::mouseReleaseEvent(event);
        if (event->button() != Qt::LeftButton || event->buttons() != Qt::NoButton || !onRelease) return;
        if (dragging) onRelease();
        onRelease();
    }
    // The program handles the wheel itself; a scroll bar never scrolls on it.
    void wheelEvent(QWheelEvent* event) override { event->ignore(); }
};

class ScrollBarControl : public ControlRecord {
public:
    ScrollBarControl(int number, int window, QWidget* parent, bool vertical, int minimum, int maximum,
                     int page)
        : ControlRecord(number, window), minimum_(minimum), maximum_(maximum), page_(page) {
        auto* bar = new ScrollBarWidget(vertical ? Qt::Vertical : Qt::Horizontal, parent);
        bar_ = bar;
        widget_ = bar;
        own(bar);
        // The program moves the bars with the arrow keys itself; a focused bar would step twice.
        bar->setFocusPolicy(Qt::NoFocus);
        bar->setSingleStep(1);
        applyRange();
        QObject::connect(bar, &QAbstractSlider::actionTriggered, bar, [this](int) {
            // Qt reports the action before it commits the new position; commit it now so that
            // the bound procedures read the position the action leads to.
            bar_->setValue(bar_->sliderPosition());
            post(ControlEventKind::Click);
        });
        bar->onRelease = [this] { post(ControlEventKind::Click); };
    }

    std::string kind() const override {
        return bar_ && bar_->orientation() == Qt::Vertical ? "vertical scroll bar" : "horizontal scroll bar";
    }
    int32_t state() override { return bar_ ? bar_->value() : 0; }
    int setState(int32_t value) override {
        if (!bar_) return 0;
        bar_->setValue(value);
        return 1;
    }
    int32_t attribute(int attribute) override {
        switch (attribute) {
            case ScrollBarAttribute::Minimum:
                return minimum_;
            case ScrollBarAttribute::Maximum:
                return maximum_;
            case ScrollBarAttribute::Page:
                return page_;
            default:
                return 0;
        }
    }
    int setAttribute(int attribute, int32_t value) override {
        switch (attribute) {
            case ScrollBarAttribute::Minimum:
                minimum_ = value;
                break;
            case ScrollBarAttribute::Maximum:
                maximum_ = value;
                break;
            case ScrollBarAttribute::Page:
                page_ = value;
                break;
            default:
                return 0;
        }
        applyRange();
        return 1;
    }

private:
    void applyRange() {
        if (!bar_) return;
        const int page = std::max(1, page_);
        // 64-bit so that extreme ranges do not overflow before clamping.
        const long long top = static_cast<long long>(maximum_) - page + 1;
        const int last = static_cast<int>(std::clamp<long long>(top, minimum_, INT32_MAX));
        bar_->setPageStep(page);
        bar_->setRange(minimum_, last);
    }

    QPointer<ScrollBarWidget> bar_;
    int minimum_;
    int maximum_;
    int page_;
};

}  // namespace

int createScrollBar(int number, int x, int y, int width, int height, int minimum, int maximum, int page,
                    int flags) {
    int window = -1;
    QWidget* parent = prepareControlSlot(number, &window);
    if (!parent) return 0;
    auto record =
        std::make_unique<ScrollBarControl>(number, window, parent, (flags & 1) != 0, minimum, maximum, page);
    QWidget* bar = record->widget();
    bar->setGeometry(x, y, std::max(0, width), std::max(0, height));
    bar->show();
    return installControl(std::move(record));
}
