// Menu bars and popup menus over QMenuBar and QMenu.
// Over Qt:
// - An item that carries a check mark is a checkable QAction only while the mark is set, so an
//   unmarked item shows no empty indicator; Qt's own toggling on a click is undone, since the
//   program alone decides the marks.
// - The bar is kept inside the window (never handed to a desktop-wide global menu) so that it
//   takes its height from the client area as the layout expects.
// - A tab in an item's text shows the rest as the shortcut label; Qt menus do that natively.
#include "runtime/ui/menus.h"

#include "runtime/ui/event_queue.h"
#include "runtime/ui/object_table.h"
#include "runtime/ui/ui_dump_internal.h"
#include "runtime/ui/window_internal.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSignalBlocker>

#include <vector>

namespace {

constexpr int MAX_MENU_DEPTH = 64;

struct MenuRecord {
    QPointer<QMenuBar> bar;  // a menu bar, or
    QPointer<QMenu> popup;   // a popup menu
    // The window a bar belongs to; for a popup, the window it was last shown for.
    int window = -1;
};

ObjectTable<MenuRecord> menus(16);

struct BuildState {
    int menu = -1;
    QPointer<QWidget> current;
    std::vector<QPointer<QWidget>> parents;
};
BuildState building;

bool cleanupRegistered = false;

// A record whose menu went away with its window counts as unknown.
MenuRecord* findMenu(int number) {
    MenuRecord* record = menus.find(number);
    if (record && !record->bar && !record->popup) {
        menus.erase(number);
        return nullptr;
    }
    return record;
}

void destroyMenu(int number) {
    MenuRecord* record = menus.find(number);
    if (!record) return;
    const int window = record->bar ? record->window : -1;
    delete record->bar.data();
    delete record->popup.data();
    menus.erase(number);
    if (window >= 0) {
        ProgramChange quiet;
        relayoutWindow(window);
    }
    if (building.menu == number) building = BuildState{};
}

// Popups have no parent widget; they go before the application does.
void destroyPopups() {
    for (int number = 0; number < menus.size(); ++number) {
        MenuRecord* record = menus.find(number);
        if (record && record->popup) destroyMenu(number);
    }
    building = BuildState{};
    cleanupRegistered = false;
}

QMenu* asMenu(QWidget* level) { return qobject_cast<QMenu*>(level); }
QMenuBar* asBar(QWidget* level) { return qobject_cast<QMenuBar*>(level); }

void attachBar() {
    MenuRecord* record = findMenu(building.menu);
    if (!record || !record->bar) return;
    WindowRecord* window = windowRecord(record->window);
    if (!window) return;
    window->menuBar = record->bar;
    record->bar->show();
    ProgramChange quiet;
    relayoutWindow(record->window);
}

// Qt toggles a checkable action before it reports the trigger; the mark is the program's.
void undoAutomaticToggle(QAction* action) {
    if (!action->isCheckable()) return;
    QSignalBlocker block(action);
    action->setChecked(!action->isChecked());
}

QAction* makeItem(int menu, int id, const std::string& text, QObject* parent) {
    auto* action = new QAction(QString::fromUtf8(text), parent);
    action->setData(id);
    QObject::connect(action, &QAction::triggered, action, [action, menu, id] {
        undoAutomaticToggle(action);
        MenuRecord* record = findMenu(menu);
        postEvent(EventCode::Menu, record ? record->window : -1, id, 0);
    });
    return action;
}

// The first command item with the id, in menu order, looking into submenus where they stand.
QAction* findItem(const QWidget* level, int id) {
    for (QAction* action : level->actions()) {
        if (QMenu* submenu = action->menu()) {
            if (QAction* found = findItem(submenu, id)) return found;
        } else if (!action->isSeparator() && action->data().isValid() && action->data().toInt() == id) {
            return action;
        }
    }
    return nullptr;
}

QWidget* rootOf(const MenuRecord& record) {
    if (record.bar) return record.bar;
    return record.popup;
}

QWidget* frameOf(WindowHandle handle, int* number) {
    auto* frame = static_cast<QWidget*>(handle);
    *number = frame ? windowNumberOf(frame) : -1;
    if (*number < 0) return nullptr;
    WindowRecord* record = windowRecord(*number);
    return record ? record->frame.data() : nullptr;
}

}  // namespace

int createMenuBar(int number, WindowHandle window) {
    if (number < 0 || !qApp) return 0;
    int windowNumber = -1;
    QWidget* frame = frameOf(window, &windowNumber);
    if (!frame) return 0;
    destroyMenu(number);
    auto record = std::make_unique<MenuRecord>();
    auto* bar = new QMenuBar(frame);
    bar->setNativeMenuBar(false);
    bar->hide();
    record->bar = bar;
    record->window = windowNumber;
    menus.put(number, std::move(record));
    building = BuildState{number, bar, {}};
    return 1;
}

int createPopupMenu(int number) {
    if (number < 0 || !qApp) return 0;
    destroyMenu(number);
    if (!cleanupRegistered) {
        qAddPostRoutine(destroyPopups);
        cleanupRegistered = true;
    }
    auto record = std::make_unique<MenuRecord>();
    record->popup = new QMenu;
    menus.put(number, std::move(record));
    // Levels left open in another menu are dropped: closing one of them would carry the
    // items of this popup into that menu.
    building = BuildState{number, menus.find(number)->popup.data(), {}};
    return 1;
}

void addMenuTitle(const std::string& text) {
    MenuRecord* record = findMenu(building.menu);
    if (!record) return;
    if (!building.parents.empty()) {
        building.parents.clear();
        building.current = rootOf(*record);
    }
    openSubmenu(text);
    attachBar();
}

void addMenuItem(int id, const std::string& text) {
    if (!findMenu(building.menu) || !building.current) return;
    QWidget* level = building.current;
    level->addAction(makeItem(building.menu, id, text, level));
    attachBar();
}

void addMenuSeparator() {
    if (!findMenu(building.menu) || !building.current) return;
    if (QMenu* menu = asMenu(building.current)) {
        menu->addSeparator();
    } else if (QMenuBar* bar = asBar(building.current)) {
        bar->addSeparator();
    }
}

void openSubmenu(const std::string& text) {
    if (!findMenu(building.menu) || !building.current) return;
    if (building.parents.size() >= MAX_MENU_DEPTH) return;
    QMenu* submenu = nullptr;
    if (QMenu* menu = asMenu(building.current)) {
        submenu = menu->addMenu(QString::fromUtf8(text));
    } else if (QMenuBar* bar = asBar(building.current)) {
        submenu = bar->addMenu(QString::fromUtf8(text));
    }
    if (!submenu) return;
    building.parents.push_back(building.current);
    building.current = submenu;
}

void closeSubmenu() {
    if (building.parents.empty()) return;
    building.current = building.parents.back();
    building.parents.pop_back();
}

void setMenuItemChecked(int menu, int id, int state) {
    MenuRecord* record = findMenu(menu);
    if (!record) return;
    QAction* action = findItem(rootOf(*record), id);
    if (!action) return;
    QSignalBlocker block(action);
    if (state != 0) {
        action->setCheckable(true);
        action->setChecked(true);
    } else {
        action->setChecked(false);
        action->setCheckable(false);
    }
}

int isMenuItemChecked(int menu, int id) {
    MenuRecord* record = findMenu(menu);
    if (!record) return 0;
    const QAction* action = findItem(rootOf(*record), id);
    return action && action->isChecked() ? 1 : 0;
}

bool menuBarWalked(const QWidget* widget) {
    const auto* bar = qobject_cast<const QMenuBar*>(widget);
    return bar && bar->activeAction() != nullptr;
}

int menuShown() {
    if (!qApp) return 0;
    if (qobject_cast<QMenu*>(QApplication::activePopupWidget())) return 1;
    return menuBarWalked(QApplication::focusWidget()) ? 1 : 0;
}

void showPopupMenu(int menu, WindowHandle window) {
    MenuRecord* record = findMenu(menu);
    if (!record || !record->popup) return;
    int windowNumber = -1;
    QWidget* frame = frameOf(window, &windowNumber);
    if (!frame) return;
    record->window = windowNumber;
    frame->raise();
    frame->activateWindow();
    QPointer<QMenu> popup = record->popup;
    enterModal();
    popup->exec(QCursor::pos() - QPoint(1, 1));
    leaveModal();
}

void forEachMenu(const std::function<void(int number, int window, bool bar, const QWidget& root)>& visit) {
    for (int number = 0; number < menus.size(); ++number) {
        if (const MenuRecord* record = findMenu(number))
            visit(number, record->window, record->bar != nullptr, *rootOf(*record));
    }
}
