#include "runtime/ui/wheel_notches.h"

int WheelNotches::take(int delta) {
    // The sum stays within one notch before the addition, so only an extreme delta overflows.
    const long long sum = static_cast<long long>(remainder_) + delta;
    const long long notches = sum / UNITS_PER_NOTCH;
    remainder_ = static_cast<int>(sum - notches * UNITS_PER_NOTCH);
    return static_cast<int>(notches);
}
