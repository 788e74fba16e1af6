#pragma once
// Writing a file so that it is either whole or untouched.
//
// The bytes go to a fresh temporary file in the target's folder. `commit` flushes them to the
// disk, closes the file and renames it over the target only when all of that succeeded, so a
// full disk, a file-size limit or a crash never leaves a partial target and never destroys the
// file that was there. An uncommitted ReplacingFile removes its temporary file when it is
// destroyed or abandoned; the target itself is never opened, truncated or removed.
//
// Targets:
// - a missing name is created with the permission bits a new file gets (0666 less the umask,
//   or the folder's default access list);
// - an existing regular file is replaced and keeps its permission bits (and, where the process
//   may set them, its owner and group). It is refused when opening it for writing would be
//   refused, so a write-protected file stays protected although the folder may be written;
// - a symbolic link is followed: the file it points to is replaced and the link stays;
// - anything else (directory, FIFO, socket, device) is refused before anything is created.
// A folder the process may not write to cannot hold the temporary file, so a file in it cannot
// be replaced even when the file itself is writable. Other hard links to a replaced file keep
// the old bytes.
#include <cstddef>
#include <string>

class ReplacingFile {
public:
    // Prepares the temporary file. Check `isOpen()`; on failure `error()` says why.
    explicit ReplacingFile(const std::string& target);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    [[nodiscard]] bool isOpen() const { return descriptor_ >= 0; }
    // The temporary file's descriptor, open for reading and writing, for writers that drive it
    // themselves. -1 when not open. Whoever writes through it reports failures with `fail`.
    [[nodiscard]] int descriptor() const { return descriptor_; }
    // Appends all bytes. Once a write failed, every later write and the commit fail too.
    [[nodiscard]] bool write(const void* source, size_t count);
    // How far commit goes before it reports success.
    enum class Durability {
        OnDisk,   // the bytes and the rename have reached the disk: a power cut right after keeps them
        Written,  // the kernel has them and writes them back in its own time, as cp does; a power
                  // cut soon after may lose the new file, and it costs no wait for the disk
    };
    // Flushes to the disk (with OnDisk), closes and renames over the target. True only when all
    // succeeded; on false the temporary file is gone and the target is as it was. Write and
    // close errors are caught either way.
    [[nodiscard]] bool commit(Durability durability = Durability::OnDisk);
    // Drops the temporary file; the target is as it was.
    void abandon();
    // Marks the file as failed (a write through `descriptor()` went wrong), so `commit` refuses.
    void fail(const std::string& what, int error_number);
    // A short description of the first failure, for logs and command-line messages.
    [[nodiscard]] const std::string& error() const { return error_; }

private:
    bool findFinalPath(const std::string& target);
    bool createTemporary();

    std::string final_path_;
    std::string temporary_path_;
    std::string error_;
    int descriptor_ = -1;
    bool failed_ = false;
    bool target_exists_ = false;
    unsigned mode_ = 0;
    unsigned owner_ = 0;
    unsigned group_ = 0;
};

// Convenience for whole buffers: true when `target` now holds exactly these bytes.
[[nodiscard]] bool replaceFileWith(const std::string& target, const void* source, size_t count,
                                   std::string* error = nullptr);
