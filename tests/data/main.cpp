// The data tests drive real dialogs, so the windowing runtime runs for the whole executable.
#include "runtime/ui/ui.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (startUi(argc, argv) == 0) return 1;
    const int result = RUN_ALL_TESTS();
    stopUi();
    return result;
}
