#pragma once
// The wait loop's side of the runtime: the recorder of platform notifications. Internal to
// runtime/ui.

// Installs (and removes) the application-wide filter that records key presses, releases,
// pointer movement, wheel turns and paint requests of the numbered windows.
void installInputRecorder();
void removeInputRecorder();
// Forgets the notifications recorded and not yet handed out.
void discardPlatformNotifications();

// Platform notification numbers handed out by waitEvent (besides EventCode::RawMouseWheel).
namespace PlatformNotification {
enum : int {
    Paint = 15,
    KeyDown = 256,
    KeyUp = 257,
    PointerMove = 512,
    LeftDown = 513,
    LeftUp = 514,
    LeftDoubleClick = 515,
    RightDown = 516,
    RightUp = 517,
    RightDoubleClick = 518,
    MiddleDown = 519,
    MiddleUp = 520,
    MiddleDoubleClick = 521,
    HorizontalWheel = 526,
};
}
