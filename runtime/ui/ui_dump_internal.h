#pragma once
// The layout dump (ui_dump.cpp): what it reads from the tables of the other files, and where the
// runtime starts and triggers it. Internal to runtime/ui.
#include <functional>

class QWidget;

// Every numbered menu bar and popup menu, in number order: its number, its window (-1 for a
// popup never shown) and the widget whose actions are its entries.
void forEachMenu(const std::function<void(int number, int window, bool bar, const QWidget& root)>& visit);
// Every numbered status bar, in number order: its number, its window and its field count.
void forEachStatusBar(const std::function<void(int number, int window, int fields)>& visit);

// When PIXELSIEVE_UI_DUMP names a file, arranges for the dump to go there: once when the
// program first waits for an event (its window is built by then), and again whenever the
// process receives SIGUSR1. Without the variable nothing happens.
void startUiDump();
void stopUiDump();
// Called by waitEvent: writes the first dump.
void uiDumpAtFirstWait();
