#include "cli/files/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

uint64_t pageSize() {
    static const uint64_t size = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
    return size;
}

}  // namespace

MappedFile::~MappedFile() {
    guard_.release();
    if (data_ != nullptr) {
        ::munmap(const_cast<uint8_t*>(data_), static_cast<size_t>(size_));
    }
}

bool MappedFile::open(const std::string& path) {
    auto fail = [&](const std::string& why) {
        error_ = "cannot read " + path + ": " + why;
        return false;
    };
    const Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        return fail(std::strerror(errno));
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        return fail(std::strerror(errno));
    }
    uint64_t size = 0;
    if (S_ISREG(info.st_mode)) {
        size = static_cast<uint64_t>(info.st_size);
    } else if (S_ISBLK(info.st_mode)) {
        const off_t end = ::lseek(fd.get(), 0, SEEK_END);
        if (end < 0) {
            return fail(std::strerror(errno));
        }
        size = static_cast<uint64_t>(end);
    } else {
        return fail(S_ISDIR(info.st_mode) ? "it is a folder" : "not a regular file");
    }
    if (size > SIZE_MAX / 2) {
        return fail("too large to map");
    }
    if (size == 0) {
        return true;
    }
    void* mapping = ::mmap(nullptr, static_cast<size_t>(size), PROT_READ, MAP_PRIVATE, fd.get(), 0);
    if (mapping == MAP_FAILED) {
        return fail(std::strerror(errno));
    }
    if (!guard_.watch(mapping, static_cast<size_t>(size))) {
        ::munmap(mapping, static_cast<size_t>(size));
        return fail("too many inputs open at once");
    }
    data_ = static_cast<const uint8_t*>(mapping);
    size_ = size;
    path_ = path;
    return true;
}

std::string MappedFile::lost_bytes_error() const {
    return "cannot read " + path_ + ": the file became shorter (or unreadable) while it was read";
}

void MappedFile::expectSequentialReads() const {
    if (data_ != nullptr) {
        ::madvise(const_cast<uint8_t*>(data_), static_cast<size_t>(size_), MADV_SEQUENTIAL);
    }
}

void MappedFile::releasePages(uint64_t begin, uint64_t end) const {
    end = end < size_ ? end : size_;
    const uint64_t page = pageSize();
    begin = (begin + page - 1) / page * page;  // the mapping itself starts on a page
    end = end / page * page;
    if (data_ == nullptr || begin >= end) {
        return;
    }
    // The mapping is private and read-only, so dropping pages loses nothing: they are read
    // from the file again if touched.
    ::madvise(const_cast<uint8_t*>(data_) + begin, static_cast<size_t>(end - begin), MADV_DONTNEED);
}
