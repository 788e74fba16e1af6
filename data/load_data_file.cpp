#include "data/load_data_file.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <new>

#include "runtime/files/files.h"
#include "runtime/ui/requesters.h"

DataBuffer loaded_data;

namespace {

constexpr int LOAD_FILE_NUMBER = 0;

LoadResult fail(const std::string& title, const std::string& text) {
    messageBox(title, text);
    return {};
}

// Asks for large pages under a big block before the read first touches it. A fresh page costs
// a fault when the read fills it, and with 4 KiB pages those faults, not the copy, dominate the
// load of a large file. Only a hint: where it is refused, the load is just slower.
void prefer_large_pages(uint8_t* block, size_t size) {
    constexpr uintptr_t LARGE_BLOCK = uintptr_t{4} << 20;
    const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    if (size < LARGE_BLOCK || page == 0) {
        return;
    }
    const uintptr_t start = (reinterpret_cast<uintptr_t>(block) + page - 1) / page * page;
    const uintptr_t end = (reinterpret_cast<uintptr_t>(block) + size) / page * page;
    if (end > start) {
        madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
    }
}

}  // namespace

LoadResult load_data_file(const std::string& path, DataBuffer& data) {
    // The size is checked as the 64-bit value it is: narrowing it first would let a file above
    // 4 GiB pass as a small or negative length and be read in part or with a wrong count.
    const int64_t size = fileSizeOf(path);
    if (size > LARGEST_LOADABLE_FILE) {
        return fail("Memory", "Unable to allocate memory!");
    }
    if (size < 0) {
        return fail("File Error", "Unable to open:" + path);
    }
    const auto len = static_cast<int32_t>(size);
    const size_t block_size = static_cast<size_t>(len) + 16;

    // Not zero-filled here: the read overwrites the file's part, and only what it leaves is
    // cleared, so a large file's pages are touched once.
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[block_size]);
    if (!block) {
        return fail("Memory", "Unable to allocate memory!");
    }
    prefer_large_pages(block.get(), block_size);
    if (openForReading(LOAD_FILE_NUMBER, path) == 0) {
        return fail("File Error", "Unable to open:" + path);
    }
    const int64_t got = len > 0 ? readBlock(LOAD_FILE_NUMBER, block.get(), len) : 0;
    closeFileNumber(LOAD_FILE_NUMBER);
    if (got <= 0) {
        return fail("File Read Error", "Unable to read:" + path);
    }
    std::memset(block.get() + got, 0, block_size - static_cast<size_t>(got));

    data.bytes = std::move(block);
    data.len = len;
    LoadResult result;
    result.loaded = true;
    result.name = namePartOf(path);
    // A bare name given on the command line lies in the current directory; the folder memory
    // always names a folder, ending in "/".
    result.folder = directoryPartOf(path);
    if (result.folder.empty()) {
        result.folder = currentDirectory();
    }
    return result;
}
