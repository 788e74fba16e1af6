#pragma once
// What the event loop does with each event: key polling, control events, commands, drops and
// the wheel. Every handler is callable on its own, so it can be tested without the loop.
#include <cstdint>
#include <string>

// How the loop goes on after a step.
enum class LoopAction {
    Continue,
    Quit,              // leave the loop; the settings are stored at shutdown
    QuitWithoutSaving  // the command-line file failed to load: end without storing settings
};

// Tests Escape and the four arrow keys, held now whichever window has the focus, in that
// order: Escape quits; Right / Left step the width scroll bar within 1..maxwidth; Up / Down
// step the row scroll bar within its range. Each step ends in apply_position. While the
// Pictures window has the keyboard the arrows are its list's, and are not tested.
[[nodiscard]] LoopAction poll_keys();

// An Escape that is down now belongs to a dialog or menu that just closed (Escape cancels
// them): it does not quit until it has been released once. Called after every handler that
// ran a modal dialog or popup, when the runtime reports a closed menu, and when the loop starts
// (after the start-up messages).
void ignore_escape_until_released();

// Dispatches one event that waitEvent returned.
[[nodiscard]] LoopAction handle_event(int32_t code);

[[nodiscard]] LoopAction handle_command(int command);
void handle_control(int control, int32_t kind);
// The wheel notification's first parameter: its upper 16 bits, signed, are the movement.
void handle_wheel(int32_t param);
// The dropped files joined by "\n": the first one is loaded. A failed load shows its message
// and keeps the file shown before.
void handle_drop(const std::string& files);

// Loads the file, records its folder and name, starts its picture scan, sets the row scroll
// bar's range for the new length and redraws. False when the load failed: its message was shown and the data,
// the records and the view are as they were.
[[nodiscard]] bool load_and_show(const std::string& path);
