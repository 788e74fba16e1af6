#include "runtime/ui/shortcut_table.h"

#include "runtime/ui/menus.h"

namespace {
constexpr uint8_t MODIFIER_FLAGS = ShortcutFlag::Shift | ShortcutFlag::Control | ShortcutFlag::Alt;
constexpr uint16_t TAB_KEY = 0x09;
}  // namespace

ShortcutEntry shortcutEntry(uint32_t keyValue, int id) {
    uint8_t flags = ShortcutFlag::VirtualKey | ShortcutFlag::NoHighlight;
    if (keyValue & ShortcutKey::Shift) flags |= ShortcutFlag::Shift;
    if (keyValue & ShortcutKey::Control) flags |= ShortcutFlag::Control;
    if (keyValue & ShortcutKey::Alt) flags |= ShortcutFlag::Alt;
    return ShortcutEntry{flags, static_cast<uint16_t>(keyValue & 0xFFFF), static_cast<uint16_t>(id)};
}

ShortcutTable::ShortcutTable() {
    entries_.push_back(shortcutEntry(TAB_KEY, SHORTCUT_NEXT_CONTROL));
    entries_.push_back(shortcutEntry(TAB_KEY | ShortcutKey::Shift, SHORTCUT_PREVIOUS_CONTROL));
}

void ShortcutTable::add(ShortcutEntry entry) {
    for (ShortcutEntry& existing : entries_) {
        if (existing.key == entry.key && existing.flags == entry.flags) {
            existing.id = entry.id;
            return;
        }
    }
    entries_.push_back(entry);
}

std::optional<int> ShortcutTable::find(uint16_t key, uint8_t modifierFlags) const {
    const uint8_t wanted = modifierFlags & MODIFIER_FLAGS;
    for (const ShortcutEntry& entry : entries_) {
        if (entry.key == key && (entry.flags & MODIFIER_FLAGS) == wanted) return entry.id;
    }
    return std::nullopt;
}
