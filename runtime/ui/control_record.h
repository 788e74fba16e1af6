#pragma once
// The control table and the operations every kind of control shares. Internal to runtime/ui.
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// One numbered control. Each kind overrides the operations it has; the others do nothing and
// answer 0, as an absent entry of a kind's operation table would.
class ControlRecord {
public:
    ControlRecord(int number, int window) : number_(number), window_(window) {}
    virtual ~ControlRecord();
    ControlRecord(const ControlRecord&) = delete;
    ControlRecord& operator=(const ControlRecord&) = delete;

    int number() const { return number_; }
    int window() const { return window_; }
    // The main element: the one that takes the focus, the tooltip and drops.
    QWidget* widget() const { return widget_; }

    virtual int32_t state() { return 0; }
    virtual int setState(int32_t) { return 0; }
    virtual int setText(const std::string& text);
    virtual std::string text();
    virtual int32_t attribute(int) { return 0; }
    virtual int setAttribute(int, int32_t) { return 0; }
    virtual int takeFocus();
    virtual void setToolTip(const QString& text);
    // The texts of the control's rows (a list's), for the layout dump; none for most kinds.
    virtual std::vector<std::string> rows() { return {}; }
    // What the control is, in words ("check box"), for the layout dump.
    virtual std::string kind() const = 0;
    // The rectangle all its elements cover, in the client area's coordinates.
    QRect area() const;

protected:
    // Posts EventCode::Control for this control.
    void post(int32_t kind, void* data = nullptr, void (*release)(void*) = nullptr) const;
    // Every element the control made; the destructor deletes them.
    void own(QWidget* element);
    QPointer<QWidget> widget_;

private:
    int number_;
    int window_;
    QPointer<QWidget> elements_[2];
};

// The control under the number, or null.
ControlRecord* controlRecord(int number);
// The client widget of the current container window, for a control about to be made under
// `number`; the control that held the number is destroyed first. Null (and no window number)
// when there is no container window.
QWidget* prepareControlSlot(int number, int* window);
// Puts a made control into the table. Returns nonzero.
int installControl(std::unique_ptr<ControlRecord> record);
// Destroys every control held by the window (when it closes) or, with -1, every control.
void destroyControlsOf(int window);
// Every control, in number order.
void forEachControl(const std::function<void(ControlRecord&)>& visit);
