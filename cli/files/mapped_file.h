#pragma once
// An input file mapped read-only into memory: the bytes are never copied, and only the pages a
// command touches are read from the disk, so files of any size (above 4 GiB too) work.
//
// Regular files and block devices are taken; anything else (a directory, a pipe, a terminal)
// is refused, since it cannot be mapped. An empty file maps to an empty span.
//
// A file made shorter while it is mapped does not end the process: reads of the bytes it lost
// see zeros (bus_error_guard.h), and lost_bytes() says so. Whatever was computed from the bytes
// since the last check is then to be thrown away, and the command stops with lost_bytes_error().
#include <cstdint>
#include <span>
#include <string>

#include "cli/files/bus_error_guard.h"

class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Maps the file. False on failure, and then `error()` is one line naming the file and the
    // reason, such as "cannot read x.bin: No such file or directory".
    [[nodiscard]] bool open(const std::string& path);

    [[nodiscard]] std::span<const uint8_t> bytes() const { return {data_, static_cast<size_t>(size_)}; }
    [[nodiscard]] uint64_t size() const { return size_; }
    [[nodiscard]] const std::string& error() const { return error_; }

    // True once a read found bytes of the file gone: it became shorter (or its disk failed a
    // read) after it was opened. Those reads saw zeros.
    [[nodiscard]] bool lost_bytes() const { return guard_.tripped(); }
    // One line naming the file, for that case.
    [[nodiscard]] std::string lost_bytes_error() const;

    // Tells the kernel the bytes will be read front to back (more read-ahead).
    void expectSequentialReads() const;
    // Gives back the memory of the whole pages inside [begin, end): the process stops holding
    // them, and a later read of those bytes takes them from the file again. Lets a command walk
    // a file far larger than the memory without keeping what it has passed.
    void releasePages(uint64_t begin, uint64_t end) const;

private:
    const uint8_t* data_ = nullptr;
    uint64_t size_ = 0;
    std::string path_;
    std::string error_;
    BusErrorGuard guard_;
};
