#include "runtime/files/replacing_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/files/posix_io.h"

namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The mask new files get. umask() cannot be read without being changed, which would race with
// any other thread creating files, so ask the kernel's process status instead.
mode_t currentUmask() {
    FILE* status = std::fopen("/proc/self/status", "r");
    mode_t mask = 022;
    if (status != nullptr) {
        char line[256];
        while (std::fgets(line, sizeof line, status) != nullptr) {
            if (std::strncmp(line, "Umask:", 6) == 0) {
                mask = static_cast<mode_t>(std::strtoul(line + 6, nullptr, 8));
                break;
            }
        }
        std::fclose(status);
    }
    return mask;
}

}  // namespace

ReplacingFile::ReplacingFile(const std::string& target) {
    if (target.empty() || target.find('\0') != std::string::npos) {
        fail("no usable file name", EINVAL);
        return;
    }
    // Follow a chain of symbolic links to the file that really gets the bytes.
    std::string path = target;
    struct stat info {};
    for (int hops = 0;; ++hops) {
        if (::lstat(path.c_str(), &info) != 0) {
            if (errno != ENOENT) {
                fail("cannot examine " + path, errno);
                return;
            }
            target_exists_ = false;
            break;
        }
        if (!S_ISLNK(info.st_mode)) {
            if (!S_ISREG(info.st_mode)) {
                fail(path + " is not a regular file", S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
                return;
            }
            target_exists_ = true;
            mode_ = info.st_mode & 07777;
            owner_ = info.st_uid;
            group_ = info.st_gid;
            break;
        }
        if (hops >= 40) {
            fail("too many symbolic links at " + target, ELOOP);
            return;
        }
        std::string link(static_cast<size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
        const ssize_t got = ::readlink(path.c_str(), link.data(), link.size());
        if (got < 0 || static_cast<size_t>(got) >= link.size()) {
            fail("cannot read the link " + path, got < 0 ? errno : ENAMETOOLONG);
            return;
        }
        link.resize(static_cast<size_t>(got));
        path = !link.empty() && link[0] == '/' ? link : folderOf(path) + link;
    }
    final_path_ = path;

    std::string pattern = folderOf(path) + "." + path.substr(folderOf(path).size()) + ".XXXXXX";
    descriptor_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (descriptor_ < 0) {
        fail("cannot create a file beside " + path, errno);
        return;
    }
    temporary_path_ = pattern;
    const mode_t mode = target_exists_ ? static_cast<mode_t>(mode_) : (0666 & ~currentUmask());
    if (target_exists_) {
        // Only root may give the file away; elsewhere this fails harmlessly and the file stays
        // the writer's, as any editor's save would leave it.
        if (::fchown(descriptor_, owner_, group_) != 0) {
            errno = 0;
        }
    }
    if (::fchmod(descriptor_, mode) != 0) {
        fail("cannot set the permissions of " + temporary_path_, errno);
        abandon();
    }
}

ReplacingFile::~ReplacingFile() {
    abandon();
}

void ReplacingFile::fail(const std::string& what, int error_number) {
    failed_ = true;
    if (error_.empty()) {
        error_ = what + (error_number != 0 ? std::string(": ") + std::strerror(error_number) : "");
    }
}

bool ReplacingFile::write(const void* source, size_t count) {
    if (descriptor_ < 0 || failed_) {
        return false;
    }
    if (!writeAll(descriptor_, source, count)) {
        fail("cannot write " + final_path_, errno);
        return false;
    }
    return true;
}

bool ReplacingFile::commit(Durability durability) {
    if (descriptor_ < 0 || failed_) {
        abandon();
        return false;
    }
    const bool onDisk = durability == Durability::OnDisk;
    if (onDisk && ::fsync(descriptor_) != 0) {
        fail("cannot flush " + final_path_, errno);
        abandon();
        return false;
    }
    const int descriptor = descriptor_;
    descriptor_ = -1;
    if (::close(descriptor) != 0) {
        fail("cannot close " + final_path_, errno);
        ::unlink(temporary_path_.c_str());
        temporary_path_.clear();
        return false;
    }
    if (::rename(temporary_path_.c_str(), final_path_.c_str()) != 0) {
        fail("cannot replace " + final_path_, errno);
        ::unlink(temporary_path_.c_str());
        temporary_path_.clear();
        return false;
    }
    temporary_path_.clear();
    if (!onDisk) {
        return true;
    }
    // The rename itself reaches the disk with the folder's next flush; ask for it now so that
    // a power cut right after a reported success keeps the new file.
    const std::string folder = folderOf(final_path_).empty() ? "." : folderOf(final_path_);
    const int directory = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        ::fsync(directory);
        ::close(directory);
    }
    return true;
}

void ReplacingFile::abandon() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
    if (!temporary_path_.empty()) {
        ::unlink(temporary_path_.c_str());
        temporary_path_.clear();
    }
    failed_ = true;
}

bool replaceFileWith(const std::string& target, const void* source, size_t count,
                     std::string* error) {
    ReplacingFile file(target);
    const bool ok = file.isOpen() && file.write(source, count) && file.commit();
    if (!ok && error != nullptr) {
        *error = file.error();
    }
    return ok;
}
