#pragma once
// A freshly built main window with the shell's records at their start values, for the tests of
// the shell's handlers. Dialogs are answered by a ModalDriver; files live in a temp directory.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QElapsedTimer>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/main_window.h"
#include "app/picture_finder.h"
#include "app/pictures_window.h"
#include "app/shell_ids.h"
#include "app/shell_state.h"
#include "data/load_data_file.h"
#include "runtime/image/image.h"
#include "runtime/ui/controls.h"
#include "runtime/ui/events.h"
#include "runtime/ui/key_state_internal.h"
#include "runtime/ui/statusbar.h"
#include "tests/support/modal_driver.h"
#include "tests/support/temp_dir.h"
#include "view/layout/sprite_layout.h"

class ShellTest : public TempDir {
protected:
    void SetUp() override {
        TempDir::SetUp();
        reset_shell_state();
        loaded_data.release();
        ASSERT_NE(newImage(VIEW_IMAGE, VIEW_WIDTH, VIEW_HEIGHT), 0);
        ASSERT_TRUE(build_main_window());
        useTrackedKeyState(true);
        forgetTrackedKeys();
    }
    void TearDown() override {
        forgetTrackedKeys();
        // As at the program's exit: the scan every load starts stops before its data goes.
        close_pictures_window();
        stop_picture_scan();
        closeWindow(MainWindow);
        releaseAllImages();
        loaded_data.release();
        TempDir::TearDown();
    }

    std::string write_file(const std::string& name, const std::vector<uint8_t>& bytes) const {
        return write_text(name, std::string(bytes.begin(), bytes.end()));
    }
    std::string write_text(const std::string& name, const std::string& text) const {
        writeFile(path(name), text);
        return path(name);
    }
    static std::string read_text(const std::string& p) { return contentsOf(p); }

    // Loads the bytes as a file, as a drop or the command line would.
    void load(const std::vector<uint8_t>& bytes, const std::string& name = "data.bin") {
        ASSERT_TRUE(load_and_show(write_file(name, bytes)));
    }

    // Hands the loop's events to the shell until the picture scan's end has reached it.
    static bool pump_until_scan_end(int timeout_ms = 120000) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeout_ms) {
            const int32_t code = pollEvent(20);
            if (code >= EventCode::Control) {
                (void)handle_event(code);
            }
            if (code == EventCode::TaskDone) {
                return true;
            }
        }
        return false;
    }

    // A pixel of the canvas's backing picture, as the screen shows it.
    static ColourValue canvas_pixel(int x, int y) {
        if (beginDrawing(canvasTarget(CanvasView)) == 0) {
            return 0xDEADBEEF;
        }
        const ColourValue value = currentSurface()->pixel(x, y) & 0xFFFFFF;
        endDrawing();
        return value;
    }
    static ColourValue view_pixel(int x, int y) { return imageSurface(VIEW_IMAGE)->pixel(x, y) & 0xFFFFFF; }
    static std::string status() { return statusText(MainStatusBar, 0); }
};
