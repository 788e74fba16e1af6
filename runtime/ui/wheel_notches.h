#pragma once
// Whole wheel notches out of the wheel's movement. Internal to runtime/ui; no toolkit type.
//
// A notch is 120 units. Fine-grained wheels (touchpads, free-spinning wheels) report fractions
// of one; they are added up and handed out as whole notches, truncated toward zero, the rest
// kept for the next movement.
class WheelNotches {
public:
    static constexpr int UNITS_PER_NOTCH = 120;

    // Adds the movement and returns the whole notches now in the sum (signed), taking them out.
    int take(int delta);

private:
    int remainder_ = 0;
};
