// The control table and the operations common to every kind of control.
#include "runtime/ui/control_record.h"

#include "runtime/ui/controls.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/events.h"
#include "runtime/ui/object_table.h"
#include "runtime/ui/window_internal.h"

#include <QApplication>

namespace {
ObjectTable<ControlRecord> controls(50);
}

ControlRecord::~ControlRecord() {
    for (QPointer<QWidget>& element : elements_) delete element.data();
}

int ControlRecord::setText(const std::string& text) {
    if (!widget_) return 0;
    ProgramChange quiet;
    widget_->setWindowTitle(QString::fromUtf8(text));
    return 1;
}

std::string ControlRecord::text() { return widget_ ? widget_->windowTitle().toStdString() : std::string(); }

int ControlRecord::takeFocus() {
    if (!widget_ || widget_->focusPolicy() == Qt::NoFocus) return 0;
    widget_->setFocus(Qt::OtherFocusReason);
    return 1;
}

void ControlRecord::setToolTip(const QString& text) {
    for (QPointer<QWidget>& element : elements_)
        if (element) element->setToolTip(text);
}

QRect ControlRecord::area() const {
    QRect covered;
    for (const QPointer<QWidget>& element : elements_)
        if (element) covered = covered.united(element->geometry());
    return covered;
}

void ControlRecord::post(int32_t kind, void* data, void (*release)(void*)) const {
    postEvent(EventCode::Control, window_, number_, kind, data, release);
}

void ControlRecord::own(QWidget* element) {
    for (QPointer<QWidget>& slot : elements_) {
        if (!slot) {
            slot = element;
            return;
        }
    }
}

ControlRecord* controlRecord(int number) { return controls.find(number); }

QWidget* prepareControlSlot(int number, int* window) {
    if (number < 0) return nullptr;
    controls.erase(number);
    const int container = containerWindow();
    WindowRecord* record = windowRecord(container);
    if (!record || !record->client) return nullptr;
    *window = container;
    return record->client;
}

int installControl(std::unique_ptr<ControlRecord> record) {
    const int number = record->number();
    controls.put(number, std::move(record));
    return 1;
}

void destroyControlsOf(int window) {
    for (int number = 0; number < controls.size(); ++number) {
        ControlRecord* record = controls.find(number);
        if (record && (window < 0 || record->window() == window)) controls.erase(number);
    }
}

void forEachControl(const std::function<void(ControlRecord&)>& visit) {
    for (int number = 0; number < controls.size(); ++number)
        if (ControlRecord* record = controls.find(number)) visit(*record);
}

QWidget* controlWidget(int control) {
    ControlRecord* record = controls.find(control);
    return record ? record->widget() : nullptr;
}

int setControlState(int control, int32_t value) {
    ControlRecord* record = controls.find(control);
    if (!record) return 0;
    ProgramChange quiet;
    return record->setState(value);
}

int32_t controlState(int control) {
    ControlRecord* record = controls.find(control);
    return record ? record->state() : 0;
}

int setControlAttribute(int control, int attribute, int32_t value) {
    ControlRecord* record = controls.find(control);
    if (!record) return 0;
    ProgramChange quiet;
    return record->setAttribute(attribute, value);
}

int32_t controlAttribute(int control, int attribute) {
    ControlRecord* record = controls.find(control);
    return record ? record->attribute(attribute) : 0;
}

int setControlText(int control, const std::string& text) {
    ControlRecord* record = controls.find(control);
    if (!record) return 0;
    ProgramChange quiet;
    return record->setText(text);
}

std::string controlText(int control) {
    ControlRecord* record = controls.find(control);
    return record ? record->text() : std::string();
}

int setKeyboardFocus(int control) {
    if (control == -1) {
        // Back to the window itself: a widget without focus would let Qt pick a control again
        // at the next activation.
        QWidget* focus = QApplication::focusWidget();
        if (focus && windowNumberOf(focus) >= 0)
            focus->window()->setFocus(Qt::OtherFocusReason);
        else if (focus)
            focus->clearFocus();
        return 1;
    }
    ControlRecord* record = controls.find(control);
    return record ? record->takeFocus() : 0;
}

int setToolTip(int control, const std::string& text) {
    ControlRecord* record = controls.find(control);
    if (!record) return 0;
    record->setToolTip(QString::fromUtf8(text));
    return 1;
}

int bindControlEvent(int control, EventProcedure procedure) {
    ControlRecord* record = controls.find(control);
    if (!record || !procedure) return 0;
    bindEvent(EventCode::Control, record->window(), control, -1, procedure);
    return 1;
}
