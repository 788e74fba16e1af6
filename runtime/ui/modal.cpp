// The depth of the modal loops (requesters, popup menus) running inside the application's.
#include "runtime/ui/window_internal.h"

namespace {
int depth = 0;
}

int modalDepth() { return depth; }
void enterModal() { ++depth; }
void leaveModal() {
    if (depth > 0) --depth;
}
