// Numbered, buffered files over POSIX descriptors.
//
// Each record keeps one 4096-byte buffer that serves reading and writing in turn. Switching
// from writing to reading flushes the buffer; switching from reading to writing moves the file
// position back over the bytes that were read ahead but not delivered, so both directions see
// the file as if it were unbuffered.
//
// A file created for writing is a ReplacingFile: the bytes go to a temporary file beside the
// target, and closing the number renames it over the target only when every byte got there.
// A failed write is remembered; the close then drops the temporary file and reports 0, and the
// target keeps what it held.
//
// Linux delivers at most about 2 GiB per read and may deliver less when a signal arrives, so
// every read loops until it has the whole count, the end of the file or a real error; EINTR is
// retried.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "runtime/files/files.h"
#include "runtime/files/posix_io.h"
#include "runtime/files/replacing_file.h"

namespace {

constexpr int64_t BUFFER_SIZE = 4096;
// Kept well under the kernel's per-call limit of 0x7ffff000 bytes.
constexpr int64_t LARGEST_TRANSFER = int64_t{1} << 30;

enum class Mode { Reading, Writing };

struct FileRecord {
    int descriptor = -1;
    std::vector<unsigned char> buffer = std::vector<unsigned char>(BUFFER_SIZE);
    Mode mode = Mode::Reading;
    // Writing: bytes waiting in the buffer. Reading: the buffer holds `filled` bytes of which
    // the last `unread` have not been delivered yet.
    int64_t pending = 0;
    int64_t filled = 0;
    int64_t unread = 0;
    bool failed = false;
    // Set for files created for writing; the descriptor is then the temporary file's.
    std::unique_ptr<ReplacingFile> replacing;
};

std::map<int, FileRecord>& fileTable() {
    static std::map<int, FileRecord> table;
    return table;
}

FileRecord* recordOf(int number) {
    auto& table = fileTable();
    const auto found = table.find(number);
    return found == table.end() ? nullptr : &found->second;
}

// Reads until count bytes arrived, the file ended or a real error occurred.
int64_t readFully(int descriptor, unsigned char* destination, int64_t count) {
    int64_t done = 0;
    while (done < count) {
        const int64_t ask = std::min(count - done, LARGEST_TRANSFER);
        const ssize_t got = ::read(descriptor, destination + done, static_cast<size_t>(ask));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += got;
    }
    return done;
}

// Appends to the file; false (and the record failed) unless every byte was accepted. `written`
// receives how many were.
bool put(FileRecord& record, const unsigned char* source, int64_t count, int64_t* written = nullptr) {
    size_t done = 0;
    bool ok = false;
    if (record.replacing != nullptr) {
        ok = writeAll(record.descriptor, source, static_cast<size_t>(count), &done);
    } else {
        // A file opened for reading only: the write is refused like any other failed one.
        errno = EBADF;
    }
    record.failed = record.failed || !ok;
    if (written != nullptr) {
        *written = static_cast<int64_t>(done);
    }
    return ok;
}

void flushBuffer(FileRecord& record) {
    if (record.mode == Mode::Writing && record.pending > 0) {
        put(record, record.buffer.data(), record.pending);
    }
    record.pending = 0;
}

void switchToReading(FileRecord& record) {
    if (record.mode == Mode::Writing) {
        flushBuffer(record);
        record.mode = Mode::Reading;
        record.filled = 0;
        record.unread = 0;
    }
}

void switchToWriting(FileRecord& record) {
    if (record.mode == Mode::Reading) {
        if (record.unread > 0 && ::lseek(record.descriptor, -record.unread, SEEK_CUR) < 0) {
            // Without the rewind, the next write would land after bytes the caller never saw.
            record.failed = true;
        }
        record.mode = Mode::Writing;
        record.filled = 0;
        record.unread = 0;
        record.pending = 0;
    }
}

// Closes the record; true when everything written reached the file. A file created for
// writing replaces its target now, or, after any failure, leaves it as it was.
bool release(FileRecord& record) {
    flushBuffer(record);
    bool ok = !record.failed;
    if (record.replacing != nullptr) {
        if (ok) {
            ok = record.replacing->commit();
        } else {
            record.replacing->abandon();
        }
        record.replacing.reset();
    } else if (::close(record.descriptor) != 0) {
        // On Linux the descriptor is gone even when close reports EINTR, so it is never retried.
        ok = false;
    }
    record.descriptor = -1;
    return ok;
}

int install(int number, int descriptor, std::unique_ptr<ReplacingFile> replacing = nullptr) {
    FileRecord record;
    record.descriptor = descriptor;
    record.replacing = std::move(replacing);
    fileTable()[number] = std::move(record);
    return 1;
}

int openDescriptor(const std::string& path, int flags) {
    // The system call would stop at an embedded zero byte and open some other name.
    if (path.find('\0') != std::string::npos) {
        return -1;
    }
    int descriptor;
    do {
        descriptor = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    } while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

}  // namespace

int openForReading(int number, const std::string& path) {
    if (number < 0) {
        return 0;
    }
    closeFileNumber(number);
    // Non-blocking, so that opening a FIFO without a writer cannot hang the program.
    const int descriptor = openDescriptor(path, O_RDONLY | O_NONBLOCK);
    if (descriptor < 0) {
        return 0;
    }
    struct stat info {};
    if (::fstat(descriptor, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(descriptor);
        return 0;
    }
    if (S_ISREG(info.st_mode)) {
        const int flags = ::fcntl(descriptor, F_GETFL);
        if (flags >= 0) {
            ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK);
        }
    }
    return install(number, descriptor);
}

int createForWriting(int number, const std::string& path) {
    if (number < 0) {
        return 0;
    }
    closeFileNumber(number);
    auto file = std::make_unique<ReplacingFile>(path);
    if (!file->isOpen()) {
        return 0;
    }
    const int descriptor = file->descriptor();
    return install(number, descriptor, std::move(file));
}

int64_t readBlock(int number, void* destination, int64_t count) {
    FileRecord* record = recordOf(number);
    if (record == nullptr || destination == nullptr || count <= 0) {
        return 0;
    }
    auto* out = static_cast<unsigned char*>(destination);
    switchToReading(*record);

    const unsigned char* buffered = record->buffer.data() + (record->filled - record->unread);
    if (record->unread >= count) {
        std::memcpy(out, buffered, static_cast<size_t>(count));
        record->unread -= count;
        return count;
    }
    const int64_t taken = record->unread;
    std::memcpy(out, buffered, static_cast<size_t>(taken));
    record->unread = 0;

    const int64_t remaining = count - taken;
    if (remaining < BUFFER_SIZE) {
        record->filled = readFully(record->descriptor, record->buffer.data(), BUFFER_SIZE);
        const int64_t delivered = std::min(remaining, record->filled);
        std::memcpy(out + taken, record->buffer.data(), static_cast<size_t>(delivered));
        record->unread = record->filled - delivered;
        return taken + delivered;
    }
    record->filled = 0;
    return taken + readFully(record->descriptor, out + taken, remaining);
}

int64_t writeBlock(int number, const void* source, int64_t count) {
    FileRecord* record = recordOf(number);
    if (record == nullptr || source == nullptr || count <= 0) {
        return 0;
    }
    const auto* in = static_cast<const unsigned char*>(source);
    switchToWriting(*record);

    if (count < BUFFER_SIZE - record->pending) {
        std::memcpy(record->buffer.data() + record->pending, in, static_cast<size_t>(count));
        record->pending += count;
        return count;
    }
    flushBuffer(*record);
    if (count < BUFFER_SIZE) {
        std::memcpy(record->buffer.data(), in, static_cast<size_t>(count));
        record->pending = count;
        return count;
    }
    int64_t written = 0;
    put(*record, in, count, &written);
    return written;
}

int writeOneByte(int number, int value) {
    const auto byte = static_cast<unsigned char>(value);
    return static_cast<int>(writeBlock(number, &byte, 1));
}

int closeFileNumber(int number) {
    auto& table = fileTable();
    const auto found = table.find(number);
    if (found == table.end()) {
        return 0;
    }
    const bool ok = release(found->second);
    table.erase(found);
    return ok ? 1 : 0;
}

void closeAllFiles() {
    auto& table = fileTable();
    for (auto& [number, record] : table) {
        release(record);
    }
    table.clear();
}
