#pragma once
// Menu bars, popup menus and keyboard shortcuts. All end in an EventCode::Menu event whose
// object is the item id.
#include <cstdint>
#include <string>

#include "runtime/ui/events.h"

// Key values for addShortcut: a virtual key code in bits 0-15 (letters 0x41-0x5A, main-row
// digits 0x30-0x39) plus these modifier bits.
namespace ShortcutKey {
enum : uint32_t { Shift = 0x10000, Control = 0x20000, Alt = 0x40000 };
}

int createMenuBar(int number, WindowHandle window);
int createPopupMenu(int number);
void addMenuTitle(const std::string& text);
// A tab separates the label from a shortcut label shown at the right.
void addMenuItem(int id, const std::string& text);
void addMenuSeparator();
void openSubmenu(const std::string& text);
// Does nothing at depth 0.
void closeSubmenu();
void setMenuItemChecked(int menu, int id, int state);
int isMenuItemChecked(int menu, int id);
// Shows the popup at the pointer and returns when it closes; a chosen item is posted as a
// Menu event, a dismissal posts nothing.
void showPopupMenu(int menu, WindowHandle window);
void addShortcut(int window, uint32_t key, int id);
// Nonzero while a menu of the program is shown (a pull-down, a submenu, a popup, a control's own
// context menu) or the menu bar is walked with the keys: a key pressed now goes to that menu.
int menuShown();
