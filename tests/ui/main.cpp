// The widget tests need one QApplication for the whole run; it is made through startUi so the
// tests go through the same start-up as the program.
#include "runtime/ui/ui.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // CTest sets the platform; a direct run from a shell without a display falls back to it too.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!startUi(argc, argv)) {
        fprintf(stderr, "the windowing runtime could not start\n");
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    stopUi();
    return result;
}
