#pragma once
// The numbered file layer under random sequences of opening, creating, reading, writing,
// closing and deleting, checked step by step against a plain model: per file the bytes on the
// disk, the bytes the open number works on and a position. Buffering, and the switches between
// reading and writing, must never show; a file created for writing leaves the disk as it was
// until its number is closed, and then replaces it whole.
#include "fuzz/check_report.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/scratch_dir.h"

#include "runtime/files/files.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
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
        std::optional<std::string> disk;  // the file under the path; empty when there is none
        std::string work;                 // what the open number reads and writes
        bool open = false;
        bool writable = false;
        size_t pos = 0;
    };
    Slot slots[2];
    slots[0].path = scratchPath("file0");
    slots[1].path = scratchPath("file1");
    for (Slot& s : slots) unlink(s.path.c_str());

    auto diskMatches = [&](const Slot& s, const std::string& when) {
        bool exists = false;
        const std::string disk = readWholeFile(s.path, &exists);
        if (!r.expectEqual(exists, s.disk.has_value(), when + ": the file exists")) return;
        if (exists) r.expectEqual(disk, *s.disk, when + ": the file's bytes");
    };
    // Closing a number, also the implicit close before it is opened again.
    auto modelClose = [](Slot& s) {
        if (s.open && s.writable) s.disk = s.work;
        s.open = false;
    };
    auto modelWrite = [](Slot& s, const std::string& bytes) {
        std::string& c = s.work;
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
                modelClose(s);
                r.expectEqual(ok != 0, s.disk.has_value(), where + ": openForReading succeeds");
                s.open = ok != 0;
                s.work = s.disk.value_or(std::string());
                s.writable = false;
                s.pos = 0;
                break;
            }
            case 1:
                r.expect(createForWriting(n, s.path) != 0, where + ": createForWriting");
                modelClose(s);
                s.work = std::string();
                s.open = s.writable = true;
                s.pos = 0;
                break;
            case 2: {
                const int64_t count = in.range(0, 9000);
                std::vector<uint8_t> buffer(static_cast<size_t>(count));
                const int64_t got = readBlock(n, buffer.data(), count);
                const std::string want = s.open && s.pos < s.work.size()
                                             ? s.work.substr(s.pos, static_cast<size_t>(count))
                                             : std::string();
                if (r.expectEqual(got, static_cast<int64_t>(want.size()),
                                  where + ": readBlock count of " + std::to_string(count)))
                    r.expectEqual(std::string(buffer.begin(), buffer.begin() + got), want,
                                  where + ": readBlock bytes");
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
                modelClose(s);
                diskMatches(s, where + " after closeFileNumber");
                break;
            case 6:
                // Also while the number is open: a reader keeps its bytes, a writer still replaces.
                unlink(s.path.c_str());
                s.disk.reset();
                break;
            case 7:
                // While a created file is open, the disk still holds what was there before.
                diskMatches(s, where + " while " + (s.open ? "open" : "closed"));
                r.expectEqual(fileSizeOf(s.path), s.disk ? static_cast<int64_t>(s.disk->size()) : -1,
                              where + ": fileSizeOf");
                r.expectEqual(fileSizeOf(scratchDir()), int64_t{-2}, "fileSizeOf of a folder");
                break;
            case 8: {
                // Numbers that never hold a file, one of them negative.
                const int none = in.byte() % 2 ? 5 : -1;
                uint8_t byte = 0x5A;
                r.expectEqual(readBlock(none, &byte, 1), int64_t{0},
                              where + ": readBlock on an empty number");
                r.expectEqual(byte, uint8_t{0x5A},
                              where + ": readBlock on an empty number left the destination");
                r.expectEqual(writeOneByte(none, 1), 0, where + ": writeOneByte on an empty number");
                r.expectEqual(writeBlock(none, &byte, 1), int64_t{0},
                              where + ": writeBlock on an empty number");
                r.expectEqual(closeFileNumber(none), 0, where + ": closeFileNumber on an empty number");
                break;
            }
        }
    }
    closeAllFiles();
    for (Slot& s : slots) {
        modelClose(s);
        diskMatches(s, "after closeAllFiles");
    }
    for (const auto& entry : std::filesystem::directory_iterator(scratchDir())) {
        const std::string name = entry.path().string();
        r.expect(name == slots[0].path || name == slots[1].path, "nothing left beside the files: " + name);
    }
    return r.message();
}
