#pragma once
// Qt-side internals shared by the files of the windowing runtime. Never included outside
// runtime/ui (and its tests): the public headers hold no Qt type.
#include <QPointer>
#include <QWidget>

class QMenuBar;
class QKeyEvent;

// A numbered top-level window. `frame` is the top-level widget whose size is fixed to the
// requested client size; `client` is the child in which controls are placed, at (0, 0) of the
// frame, or just below the menu bar once there is one (the client area loses the bar's
// height, as a platform menu bar would take it). The status bar lies over the bottom of the
// client and does not shrink it.
struct WindowRecord {
    int number = -1;
    QPointer<QWidget> frame;
    QPointer<QWidget> client;
    QPointer<QMenuBar> menuBar;
    QPointer<QWidget> statusBar;
    QPointer<QWidget> focusOnDeactivate;
};

// Null when the number holds no window.
WindowRecord* windowRecord(int number);
// The number of the numbered window that holds the widget, or -1.
int windowNumberOf(const QWidget* widget);
// Places menu bar, client and status bar after one of them changed.
void relayoutWindow(int number);
// The window whose client receives controls created now; -1 when none.
int containerWindow();
// The widget of a control (for tests), or null.
QWidget* controlWidget(int control);

// Whether the widget is a menu bar whose titles are being walked with the keys (after Alt).
bool menuBarWalked(const QWidget* widget);

// Shortcut translation, run by the wait loop for every key press before it is dispatched.
// True when the press matched a shortcut of the active numbered window and was consumed.
bool translateShortcut(QKeyEvent* event);
// Forgets the shortcut table of a window that closes.
void dropShortcuts(int window);
// Nonzero while a requester or a popup menu runs its own loop: no shortcut translation.
int modalDepth();
void enterModal();
void leaveModal();

// The handle given out by windowHandle is the window's frame widget (a QWidget*).
// The numbered window whose frame is shown in the native window, or -1.
class QWindow;
int windowNumberOfNative(const QWindow* window);
// Closes every numbered window (when the runtime stops).
void closeAllWindows();
