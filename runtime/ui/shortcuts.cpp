// Keyboard shortcuts per numbered window, translated in the wait loop before a key press is
// dispatched.
// Over Qt: the table is matched against the key the press event names (mapped to a virtual
// key code) instead of a platform accelerator object; QActions never carry Qt shortcuts, so
// nothing but this table turns keys into commands. Tab and Shift+Tab walk the client's
// controls in the window's focus chain, which Qt keeps in creation order.
#include "runtime/ui/event_queue.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/shortcut_table.h"
#include "runtime/ui/virtual_key_map_internal.h"
#include "runtime/ui/window_internal.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <map>
#include <vector>

namespace {

std::map<int, ShortcutTable>& tables() {
    // Never destroyed: the wait loop may translate keys while statics are torn down.
    static auto* shortcutTables = new std::map<int, ShortcutTable>;
    return *shortcutTables;
}

const ShortcutTable& tableOf(int window) {
    static const ShortcutTable initial;
    auto it = tables().find(window);
    return it == tables().end() ? initial : it->second;
}

uint8_t modifierFlags(Qt::KeyboardModifiers modifiers) {
    uint8_t flags = 0;
    if (modifiers & Qt::ShiftModifier) flags |= ShortcutFlag::Shift;
    if (modifiers & Qt::ControlModifier) flags |= ShortcutFlag::Control;
    if (modifiers & Qt::AltModifier) flags |= ShortcutFlag::Alt;
    return flags;
}

// Enabled, visible child controls of the client that take the focus by Tab, in creation order.
std::vector<QWidget*> tabCandidates(const WindowRecord& record) {
    std::vector<QWidget*> candidates;
    QWidget* client = record.client;
    if (!client) return candidates;
    QWidget* start = client->window();
    for (QWidget* w = start->nextInFocusChain(); w && w != start; w = w->nextInFocusChain()) {
        if (w->parentWidget() != client) continue;
        if (w->isEnabled() && w->isVisible() && (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus) {
            candidates.push_back(w);
        }
    }
    return candidates;
}

void moveFocus(int window, bool forward) {
    const WindowRecord* record = windowRecord(window);
    if (!record) return;
    const std::vector<QWidget*> candidates = tabCandidates(*record);
    if (candidates.empty()) return;
    const int count = static_cast<int>(candidates.size());
    int current = -1;
    if (QWidget* focused = QApplication::focusWidget()) {
        for (int i = 0; i < count; ++i) {
            if (candidates[i] == focused || candidates[i]->isAncestorOf(focused)) {
                current = i;
                break;
            }
        }
    }
    int next;
    if (forward) {
        next = current < 0 ? 0 : (current + 1) % count;
    } else {
        next = current < 0 ? count - 1 : (current + count - 1) % count;
    }
    candidates[next]->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

}  // namespace

void addShortcut(int window, uint32_t key, int id) {
    if (!windowRecord(window)) return;
    tables()[window].add(shortcutEntry(key, id));
}

void dropShortcuts(int window) { tables().erase(window); }

bool translateShortcut(QKeyEvent* event) {
    if (!event || event->type() != QEvent::KeyPress) return false;
    // Menus being tracked and dialogs run loops of their own, in which keys keep their
    // ordinary meaning.
    if (modalDepth() > 0 || QApplication::activePopupWidget() || QApplication::activeModalWidget()) {
        return false;
    }
    QWidget* active = QApplication::activeWindow();
    if (!active) return false;
    const int window = windowNumberOf(active);
    if (window < 0) return false;
    const uint16_t key = virtualKeyOf(*event);
    if (key == 0) return false;
    const std::optional<int> id = tableOf(window).find(key, modifierFlags(event->modifiers()));
    if (!id) return false;
    if (*id == SHORTCUT_NEXT_CONTROL || *id == SHORTCUT_PREVIOUS_CONTROL) {
        moveFocus(window, *id == SHORTCUT_NEXT_CONTROL);
    } else {
        postEvent(EventCode::Menu, window, *id, 0);
    }
    event->accept();
    return true;
}
