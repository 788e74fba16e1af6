#pragma once
// How a property check names what went wrong: an empty text means the case passed.
#include <cstdint>
#include <cstdio>
#include <string>

// A printable form of arbitrary bytes for failure messages (C escapes, cut after 200 bytes).
inline std::string printable(const std::string& bytes) {
    std::string out = "\"";
    size_t shown = 0;
    for (const unsigned char c : bytes) {
        if (++shown > 200) {
            out += "...";
            break;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    out += "\" (" + std::to_string(bytes.size()) + " bytes)";
    return out;
}

// Collects the first failure of a check; later failures of the same case add nothing.
class CheckReport {
public:
    template <typename A, typename B>
    bool expectEqual(const A& actual, const B& expected, const std::string& what) {
        if (actual == expected) return true;
        fail(what + ": got " + show(actual) + ", expected " + show(expected));
        return false;
    }
    bool expect(bool condition, const std::string& what) {
        if (!condition) fail(what);
        return condition;
    }
    void fail(const std::string& what) {
        if (message_.empty()) message_ = what;
    }
    bool failed() const { return !message_.empty(); }
    const std::string& message() const { return message_; }

private:
    static std::string show(const std::string& s) { return printable(s); }
    static std::string show(const char* s) { return printable(s); }
    static std::string show(bool b) { return b ? "true" : "false"; }
    template <typename T>
    static std::string show(const T& v) {
        return std::to_string(v);
    }

    std::string message_;
};
