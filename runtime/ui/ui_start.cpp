// Starting and stopping the windowing runtime: the QApplication's lifetime.
#include "runtime/ui/ui.h"

#include "runtime/ui/control_record.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/key_state_internal.h"
#include "runtime/ui/posted_events_internal.h"
#include "runtime/ui/ui_dump_internal.h"
#include "runtime/ui/wait_internal.h"
#include "runtime/ui/window_internal.h"

#include <QApplication>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The installed desktop entry's name without ".desktop" (packaging/).
constexpr const char* DESKTOP_ENTRY_ID = "io.github.pixelsieve.Pixelsieve";

// QApplication keeps references to argc and argv for its whole life.
int storedArgc = 0;
std::vector<std::string> storedArguments;
std::vector<char*> storedArgv;
QApplication* application = nullptr;

std::string platformRequested(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i)
        if (argv[i] && (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0))
            return argv[i + 1] ? argv[i + 1] : "";
    const char* env = std::getenv("QT_QPA_PLATFORM");
    return env ? env : "";
}

bool set(const char* variable) {
    const char* value = std::getenv(variable);
    return value && *value;
}

// Qt aborts the process when its platform plugin cannot connect; find out first.
bool displayAvailable(const std::string& requested) {
    std::string platform = requested.substr(0, requested.find(';'));
    if (platform.empty()) {
        const char* session = std::getenv("XDG_SESSION_TYPE");
        const bool wayland = set("WAYLAND_DISPLAY") && session && std::strcmp(session, "wayland") == 0;
        platform = wayland ? "wayland" : "xcb";
    }
    if (platform.rfind("xcb", 0) == 0) return set("DISPLAY") && x11DisplayOpens(nullptr);
    if (platform.rfind("wayland", 0) == 0) return set("WAYLAND_DISPLAY");
    return true;
}

}  // namespace

int startUi(int argc, char** argv) {
    if (application) return 1;
    if (qApp) return 0;  // a toolkit application made by someone else: not ours to run
    if (!displayAvailable(platformRequested(argc, argv))) return 0;

    storedArguments.clear();
    for (int i = 0; i < argc; ++i) storedArguments.emplace_back(argv && argv[i] ? argv[i] : "");
    if (storedArguments.empty()) storedArguments.emplace_back("pixelsieve");
    storedArgv.clear();
    for (std::string& argument : storedArguments) storedArgv.push_back(argument.data());
    storedArgv.push_back(nullptr);
    storedArgc = static_cast<int>(storedArguments.size());

    application = new QApplication(storedArgc, storedArgv.data());
    QApplication::setQuitOnLastWindowClosed(false);
    // Wayland compositors match a window to its menu entry (icon, name) by this id alone.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(DESKTOP_ENTRY_ID));
    installInputRecorder();
    startPostedEvents();
    startUiDump();
    return 1;
}

void stopUi() {
    if (!application) return;
    stopUiDump();
    stopPostedEvents();
    destroyControlsOf(-1);
    closeAllWindows();
    resetEventSystem();
    removeInputRecorder();
    discardPlatformNotifications();
    forgetTrackedKeys();
    delete application;
    application = nullptr;
}
