// The main of the test executables that open windows or dialogs: one QApplication for the
// whole run, made through startUi so the tests go through the same start-up as the program.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "runtime/ui/ui.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // CTest sets the platform; a direct run from a shell without a display falls back to it too.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (startUi(argc, argv) == 0) {
        std::fprintf(stderr, "the windowing runtime could not start\n");
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    stopUi();
    return result;
}
