#pragma once
// A window's keyboard shortcut table, kept toolkit-free so that the encoding and the
// replace-or-append rule are tested without a display. Internal to runtime/ui.
#include <cstdint>
#include <optional>
#include <vector>

// Command ids that move the keyboard focus instead of posting a menu event.
constexpr int SHORTCUT_NEXT_CONTROL = 64001;
constexpr int SHORTCUT_PREVIOUS_CONTROL = 64002;

// One entry: flags 1 (virtual key) + 2 (no menu highlighting) + 4 Shift + 8 Control + 16 Alt,
// a 16-bit virtual key code and a 16-bit command id.
struct ShortcutEntry {
    uint8_t flags = 0;
    uint16_t key = 0;
    uint16_t id = 0;
    bool operator==(const ShortcutEntry&) const = default;
};

namespace ShortcutFlag {
enum : uint8_t { VirtualKey = 1, NoHighlight = 2, Shift = 4, Control = 8, Alt = 16 };
}

// Converts a key value (virtual key in bits 0-15; Shift, Control, Alt in bits 16-18; the
// other bits are ignored) and a command id into an entry.
[[nodiscard]] ShortcutEntry shortcutEntry(uint32_t keyValue, int id);

class ShortcutTable {
public:
    // A new table holds Tab (next control) and Shift+Tab (previous control).
    ShortcutTable();
    // Replaces the command of the entry with the same key and flags, else appends.
    void add(ShortcutEntry entry);
    // The command for a virtual key pressed with the given modifier flags (Shift, Control,
    // Alt bits of ShortcutFlag), if any entry matches exactly.
    [[nodiscard]] std::optional<int> find(uint16_t key, uint8_t modifierFlags) const;
    [[nodiscard]] const std::vector<ShortcutEntry>& entries() const { return entries_; }

private:
    std::vector<ShortcutEntry> entries_;
};
