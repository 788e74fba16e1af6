#pragma once
// The numbered file layer under random sequences of opening, creating, reading, writing,
// closing and deleting, checked step by step against a plain model: a byte vector and a
// position per file. Buffering, and the switches between reading and writing, must never show.
#include "fuzz/check_report.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/scratch_dir.h"

#include "runtime/files/files.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

inline std::string check_file_layer(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    CheckReport r;
    closeAllFiles();

    struct Slot {
        std::string path;
        std::optional<std::string> content;  // the model file; empty when it does not exist
        bool open = false;
        bool writable = false;
        size_t pos = 0;
    };
    Slot slots[2] = {{scratchPath("file0"), {}}, {scratchPath("file1"), {}}};
    for (Slot& s : slots) unlink(s.path.c_str());

    auto diskMatches = [&](const Slot& s, const std::string& when) {
        bool exists = false;
        const std::string disk = readWholeFile(s.path, &exists);
        if (!r.expectEqual(exists, s.content.has_value(), when + ": the file exists")) return;
        if (exists) r.expectEqual(disk, *s.content, when + ": the file's bytes");
    };
    auto modelWrite = [](Slot& s, const std::string& bytes) {
        std::string& c = *s.content;
        const size_t overlap = std::min(bytes.size(), c.size() - s.pos);
        c.replace(s.pos, overlap, bytes);
        s.pos += bytes.size();
    };

    for (int step = 0; step < 300 && !in.empty() && !r.failed(); ++step) {
        const int op = in.byte() % 9;
        const int n = in.byte() % 2;
        Slot& s = slots[n];
        const std::string where = "step " + std::to_string(step) + ", file " + std::to_string(n);
        switch (op) {
        case 0: {
            const int ok = openForReading(n, s.path);
            r.expectEqual(ok != 0, s.content.has_value(), where + ": openForReading succeeds");
            s.open = ok != 0;
            s.writable = false;
            s.pos = 0;
            break;
        }
        case 1:
            r.expect(createForWriting(n, s.path) != 0, where + ": createForWriting");
            s.content = std::string();
            s.open = s.writable = true;
            s.pos = 0;
            break;
        case 2: {
            const int64_t count = in.range(0, 9000);
            std::vector<uint8_t> buffer(static_cast<size_t>(count));
            const int64_t got = readBlock(n, buffer.data(), count);
            const std::string want =
                s.open ? s.content->substr(s.pos, static_cast<size_t>(count)) : std::string();
            if (r.expectEqual(got, static_cast<int64_t>(want.size()), where + ": readBlock count of " + std::to_string(count)))
                r.expectEqual(std::string(buffer.begin(), buffer.begin() + got), want, where + ": readBlock bytes");
            s.pos += want.size();
            break;
        }
        case 3: {
            const uint8_t value = in.byte();
            if (s.open && !s.writable) break;
            r.expectEqual(writeOneByte(n, value), s.open ? 1 : 0, where + ": writeOneByte");
            if (s.open) modelWrite(s, std::string(1, static_cast<char>(value)));
            break;
        }
        case 4: {
            const int64_t count = in.range(0, 9000);
            const uint8_t seed = in.byte();
            std::string bytes(static_cast<size_t>(count), '\0');
            for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(seed + i * 7);
            if (s.open && !s.writable) break;
            r.expectEqual(writeBlock(n, bytes.data(), count), s.open ? count : 0, where + ": writeBlock");
            if (s.open) modelWrite(s, bytes);
            break;
        }
        case 5:
            r.expectEqual(closeFileNumber(n) != 0, s.open, where + ": closeFileNumber succeeds");
            s.open = false;
            diskMatches(s, where + " after closeFileNumber");
            break;
        case 6:
            if (s.open) break;
            unlink(s.path.c_str());
            s.content.reset();
            break;
        case 7:
            if (s.open && s.writable) break;  // buffered bytes may not have reached the disk yet
            r.expectEqual(fileSizeOf(s.path), s.content ? static_cast<int64_t>(s.content->size()) : -1,
                          where + ": fileSizeOf");
            r.expectEqual(fileSizeOf(scratchDir()), int64_t{-2}, "fileSizeOf of a folder");
            break;
        case 8: {
            // Numbers that never hold a file, one of them negative.
            const int none = in.byte() % 2 ? 5 : -1;
            uint8_t byte = 0x5A;
            r.expectEqual(readBlock(none, &byte, 1), int64_t{0}, where + ": readBlock on an empty number");
            r.expectEqual(byte, uint8_t{0x5A}, where + ": readBlock on an empty number left the destination");
            r.expectEqual(writeOneByte(none, 1), 0, where + ": writeOneByte on an empty number");
            r.expectEqual(writeBlock(none, &byte, 1), int64_t{0}, where + ": writeBlock on an empty number");
            r.expectEqual(closeFileNumber(none), 0, where + ": closeFileNumber on an empty number");
            break;
        }
        }
    }
    closeAllFiles();
    for (Slot& s : slots) diskMatches(s, "after closeAllFiles");
    return r.message();
}
