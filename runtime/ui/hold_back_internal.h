#pragma once
// Holding back the program's windows while a requester runs. Internal to runtime/ui.
#include <QPointer>
#include <QWidget>

#include <vector>

// For its lifetime: the modal depth is raised (no shortcut translation), and every visible
// top-level window of the program that stays on top is taken out of that band, so that it
// cannot hide the requester. The destructor puts those windows back and lowers the depth.
//
// The windows' input is held back by the requester's application modality: Qt then delivers
// no input to any other window of the program, which is what disabling them achieves, without
// redrawing every control of the main window in its disabled look.
class HeldBackWindows {
public:
    HeldBackWindows();
    ~HeldBackWindows();
    HeldBackWindows(const HeldBackWindows&) = delete;
    HeldBackWindows& operator=(const HeldBackWindows&) = delete;

    // The owner for a requester: the active window, which belongs to this process, or null.
    [[nodiscard]] QWidget* owner() const { return owner_; }

private:
    QPointer<QWidget> owner_;
    std::vector<QPointer<QWidget>> loweredOnTop_;
};

// Whether the top-level widget stays on top, and changing that in place, without Qt
// re-creating the native window (which would move it).
[[nodiscard]] bool staysOnTop(const QWidget* window);
void setStaysOnTop(QWidget* window, bool on);
