#pragma once
// Turns a fuzzer's byte string into the parameters of one check. Every take is total: an
// exhausted input yields zeros and empty texts, so any byte string is a valid case, and the
// regression replays built with g++ see exactly what libFuzzer saw.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool empty() const { return pos_ >= size_; }

    uint8_t byte() { return empty() ? 0 : data_[pos_++]; }

    uint32_t u32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = (v << 8) | byte();
        return v;
    }

    // A value in [lo, hi]; the bounds must satisfy lo <= hi.
    int64_t range(int64_t lo, int64_t hi) {
        const uint64_t span = static_cast<uint64_t>(hi - lo) + 1;
        return lo + static_cast<int64_t>(u32() % span);
    }

    // Mostly small values, sometimes the extremes a careless sum overflows on.
    int32_t edgyInt(int32_t smallLimit) {
        switch (byte() % 8) {
            case 0:
                return INT_MIN;
            case 1:
                return INT_MAX;
            case 2:
                return static_cast<int32_t>(u32());
            default:
                return static_cast<int32_t>(range(-smallLimit, smallLimit));
        }
    }

    // Up to maxLength bytes, ended early by a 0xFF byte (which is consumed, not kept).
    std::string text(size_t maxLength) {
        std::string out;
        while (!empty() && out.size() < maxLength) {
            const uint8_t b = byte();
            if (b == 0xFF) break;
            out.push_back(static_cast<char>(b));
        }
        return out;
    }

    std::string rest() {
        std::string out(reinterpret_cast<const char*>(data_ + pos_), size_ - pos_);
        pos_ = size_;
        return out;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};
