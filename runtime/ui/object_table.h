#pragma once
// A table of numbered objects that grows in fixed steps. Internal to runtime/ui.
#include <memory>
#include <vector>

template <typename T>
class ObjectTable {
public:
    explicit ObjectTable(int growthStep) : step_(growthStep), slots_(growthStep) {}

    // Null for a negative, out-of-range or empty number.
    T* find(int number) const {
        if (number < 0 || number >= static_cast<int>(slots_.size())) return nullptr;
        return slots_[number].get();
    }
    // Puts the object under the number, growing the table to the number plus one growth step
    // when needed. Whatever the slot held is destroyed first; the number must not be negative.
    T* put(int number, std::unique_ptr<T> object) {
        if (number >= static_cast<int>(slots_.size())) slots_.resize(number + step_);
        slots_[number].reset();
        slots_[number] = std::move(object);
        return slots_[number].get();
    }
    // Empties the slot, destroying the object; the object is detached before it is destroyed so
    // that its destructor sees the number free.
    void erase(int number) {
        if (number < 0 || number >= static_cast<int>(slots_.size())) return;
        std::unique_ptr<T> gone = std::move(slots_[number]);
    }
    int size() const { return static_cast<int>(slots_.size()); }

private:
    int step_;
    std::vector<std::unique_ptr<T>> slots_;
};
