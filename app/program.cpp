#include "app/program.h"

#include <csignal>
#include <cstdio>

#include "app/event_loop.h"
#include "app/main_window.h"
#include "app/picture_finder.h"
#include "app/pictures_window.h"
#include "app/settings.h"
#include "app/shell_ids.h"
#include "app/shell_state.h"
#include "data/load_data_file.h"
#include "runtime/files/files.h"
#include "runtime/image/encoders.h"
#include "runtime/image/image.h"
#include "runtime/store/prefs.h"
#include "runtime/ui/ui.h"
#include "view/layout/sprite_layout.h"

std::string command_line_file(int argc, char** argv) {
    if (argc < 2 || argv[1] == nullptr) {
        return {};
    }
    std::string path = argv[1];
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"') {
        path = path.substr(1, path.size() - 2);
    }
    return path;
}

namespace {

void stop_services() {
    closePrefs();
    closeAllFiles();
    releaseAllImages();
    stopUi();
}

}  // namespace

int run_program(int argc, char** argv) {
    // Under a file-size limit the first write past it would end the process with SIGXFSZ,
    // leaving a partial file and losing the settings; ignored, the write fails with EFBIG and
    // the save commands report it and remove the partial file.
    std::signal(SIGXFSZ, SIG_IGN);
    if (startUi(argc, argv) == 0) {
        std::fprintf(stderr,
                     "pixelsieve: no display could be opened. Set DISPLAY (X11) or "
                     "WAYLAND_DISPLAY, or run it under Xvfb: xvfb-run -a pixelsieve FILE\n");
        return 1;
    }
    registerPngEncoder();
    reset_shell_state();
    newImage(VIEW_IMAGE, VIEW_WIDTH, VIEW_HEIGHT);

    LoopAction outcome = LoopAction::QuitWithoutSaving;
    if (build_main_window()) {
        read_settings(SETTINGS_FILE);
        const std::string file = command_line_file(argc, argv);
        outcome = file.empty() || load_and_show(file) ? run_event_loop() : LoopAction::QuitWithoutSaving;
        if (outcome == LoopAction::Quit) {
            write_settings(SETTINGS_FILE);
        }
    }
    releaseImage(VIEW_IMAGE);
    close_pictures_window();
    stop_picture_scan();
    loaded_data.release();
    stop_services();
    return 0;
}
