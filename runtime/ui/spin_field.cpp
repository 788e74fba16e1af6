// The number field: a right-aligned text field with an up/down arrow element at its right end.
//
// The value is kept apart from the text. The arrows (and the Up and Down keys in the text
// field) step the value, clamped to the range, and report kind 4 or 5 even when clamping left
// it unchanged; the program then writes the text itself. Editing the text reports kind 768;
// reading the state adopts the typed number when it is a valid integer inside the range.
// Whenever the value changes otherwise (a step, setting the state, a range that clamps it) the
// text is rewritten with it at once: left alone it would show a number the view no longer
// uses, until the program's next write.
// Qt reports text changes synchronously, so setting the text needs no flush of waiting input
// (a flush would swallow the user's pending input unreported).
#include "runtime/ui/control_record.h"
#include "runtime/ui/controls.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace {

// Parses a whole decimal integer (blanks around it allowed); false for anything else.
bool parseInteger(const std::string& text, long long* value) {
    const char* start = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(start, &end, 10);
    if (end == start || errno == ERANGE) return false;
    while (*end == ' ' || *end == '\t') ++end;
    if (*end != '\0') return false;
    *value = parsed;
    return true;
}

class SpinFieldControl;

class SpinText : public QLineEdit {
public:
    SpinText(QWidget* parent, SpinFieldControl* owner) : QLineEdit(parent), owner_(owner) {}

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    SpinFieldControl* owner_;
};

class SpinFieldControl : public ControlRecord {
public:
    SpinFieldControl(int number, int window, QWidget* parent, int minimum, int maximum)
        : ControlRecord(number, window), minimum_(minimum), maximum_(maximum) {
        auto* text = new SpinText(parent, this);
        text_ = text;
        widget_ = text;
        own(text);
        text->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        text->setFocusPolicy(Qt::StrongFocus);
        QObject::connect(text, &QLineEdit::textEdited, text, [this] { post(ControlEventKind::TextChanged); });

        auto* arrows = new QWidget(parent);
        arrows_ = arrows;
        own(arrows);
        auto* column = new QVBoxLayout(arrows);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
        for (int step : {+1, -1}) {
            auto* button = new QToolButton(arrows);
            button->setArrowType(step > 0 ? Qt::UpArrow : Qt::DownArrow);
            button->setAutoRepeat(true);
            button->setFocusPolicy(Qt::NoFocus);
            button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
            column->addWidget(button);
            (step > 0 ? up_ : down_) = button;
            QObject::connect(button, &QToolButton::clicked, button, [this, step] { this->step(step); });
        }
    }

    void step(int delta) {
        setValue(clamp(static_cast<long long>(value_) + delta));
        post(delta > 0 ? ControlEventKind::Up : ControlEventKind::Down);
    }

    void place(int x, int y, int width, int height) {
        const int arrowWidth = std::max(height / 2, 18);
        if (arrows_) arrows_->setGeometry(x + width - arrowWidth, y, arrowWidth, height);
        if (text_) text_->setGeometry(x, y, std::max(0, width - arrowWidth + 1), height);
        if (text_) text_->show();
        if (arrows_) {
            arrows_->show();
            arrows_->raise();
        }
    }

    int32_t state() override {
        long long typed = 0;
        if (text_ && parseInteger(text_->text().toStdString(), &typed) && typed >= minimum_ &&
            typed <= maximum_)
            value_ = static_cast<int32_t>(typed);
        return value_;
    }
    int setState(int32_t value) override {
        setValue(clamp(value));
        return 1;
    }
    int setText(const std::string& text) override {
        if (!text_) return 0;
        text_->setText(QString::fromUtf8(text));
        return 1;
    }
    std::string text() override { return text_ ? text_->text().toStdString() : std::string(); }
    std::string kind() const override { return "spin field"; }
    int32_t attribute(int attribute) override {
        if (attribute == SpinFieldAttribute::Minimum) return minimum_;
        if (attribute == SpinFieldAttribute::Maximum) return maximum_;
        return 0;
    }
    int setAttribute(int attribute, int32_t value) override {
        if (attribute == SpinFieldAttribute::Minimum)
            minimum_ = value;
        else if (attribute == SpinFieldAttribute::Maximum)
            maximum_ = value;
        else
            return 0;
        // A value left outside the new range would offset the view by more than it allows.
        setValue(clamp(value_));
        return 1;
    }

private:
    void setValue(int32_t value) {
        if (value == value_) return;
        value_ = value;
        if (text_) text_->setText(QString::number(value_));
    }

    int32_t clamp(long long value) const {
        const long long low = std::min(minimum_, maximum_);
        const long long high = std::max(minimum_, maximum_);
        return static_cast<int32_t>(std::clamp(value, low, high));
    }

    QPointer<SpinText> text_;
    QPointer<QWidget> arrows_;
    QPointer<QToolButton> up_;
    QPointer<QToolButton> down_;
    int32_t minimum_;
    int32_t maximum_;
    int32_t value_ = 0;
};

void SpinText::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        owner_->step(event->key() == Qt::Key_Up ? +1 : -1);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace

int createSpinField(int number, int x, int y, int width, int height, int minimum, int maximum) {
    int window = -1;
    QWidget* parent = prepareControlSlot(number, &window);
    if (!parent) return 0;
    auto record = std::make_unique<SpinFieldControl>(number, window, parent, minimum, maximum);
    record->place(x, y, width, height);
    return installControl(std::move(record));
}
