// The shell's tests build real windows and controls, so the windowing runtime runs for the
// whole executable, on the offscreen platform unless the caller chose another.
#include <gtest/gtest.h>

#include <cstdlib>

#include "runtime/ui/ui.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (startUi(argc, argv) == 0) {
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    stopUi();
    return result;
}
