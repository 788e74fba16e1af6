// Check boxes: a click toggles the box and then reports kind 0.
#include "runtime/ui/control_record.h"
#include "runtime/ui/controls.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>

namespace {

// The program polls the arrow keys itself; Qt's check boxes would also walk the keyboard focus
// along their siblings on them, and so into the number field, which steps on Up and Down.
class CheckBoxWidget : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

    // The boxes have fixed widths laid out for a small interface font; where the desktop's
    // font is larger, the label is set a little smaller rather than cut off ("nibble swap").
    void fitLabel() {
        QFont font = QApplication::font(this);
        const double smallest = 7.0;
        setFont(font);
        while (sizeHint().width() > width() && font.pointSizeF() - 0.5 >= smallest) {
            font.setPointSizeF(font.pointSizeF() - 0.5);
            setFont(font);
        }
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
            case Qt::Key_Left:
            case Qt::Key_Right:
            case Qt::Key_Up:
            case Qt::Key_Down:
                event->ignore();
                return;
            default:
                QCheckBox::keyPressEvent(event);
        }
    }
};

class CheckBoxControl : public ControlRecord {
public:
    CheckBoxControl(int number, int window, QWidget* parent, const std::string& label)
        : ControlRecord(number, window) {
        auto* box = new CheckBoxWidget(QString::fromUtf8(label), parent);
        box_ = box;
        widget_ = box;
        own(box);
        box->setFocusPolicy(Qt::StrongFocus);
        // clicked() comes from the user only, after the box has toggled.
        QObject::connect(box, &QCheckBox::clicked, box, [this] { post(ControlEventKind::Click); });
    }

    int32_t state() override {
        if (!box_) return 0;
        switch (box_->checkState()) {
            case Qt::Checked:
                return 1;
            case Qt::PartiallyChecked:
                return -1;
            default:
                return 0;
        }
    }
    int setState(int32_t value) override {
        if (!box_) return 0;
        if (value == -1 && box_->isTristate())
            box_->setCheckState(Qt::PartiallyChecked);
        else
            box_->setCheckState(value != 0 ? Qt::Checked : Qt::Unchecked);
        return 1;
    }
    int setText(const std::string& text) override {
        if (!box_) return 0;
        box_->setText(QString::fromUtf8(text));
        static_cast<CheckBoxWidget*>(box_.data())->fitLabel();
        return 1;
    }
    std::string text() override { return box_ ? box_->text().toStdString() : std::string(); }
    std::string kind() const override { return "check box"; }

private:
    QPointer<QCheckBox> box_;
};

}  // namespace

int createCheckBox(int number, int x, int y, int width, int height, const std::string& text) {
    int window = -1;
    QWidget* parent = prepareControlSlot(number, &window);
    if (!parent) return 0;
    auto record = std::make_unique<CheckBoxControl>(number, window, parent, text);
    QWidget* box = record->widget();
    box->setGeometry(x, y, std::max(0, width), std::max(0, height));
    static_cast<CheckBoxWidget*>(box)->fitLabel();
    box->show();
    return installControl(std::move(record));
}
