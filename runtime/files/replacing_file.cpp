#include "runtime/files/replacing_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <random>
#include <string>

#include "runtime/files/posix_io.h"

namespace {

// Link chains longer than this are taken for a loop, as the kernel does.
constexpr int MAX_LINK_HOPS = 40;
// Room for the dot, the separator and the random part within the 255 bytes a name may have.
constexpr size_t MAX_NAME_IN_TEMPORARY = 200;
constexpr int TEMPORARY_ATTEMPTS = 100;

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Different in every process and thread, without anything that could throw; O_EXCL makes a
// clash harmless, so the names need not be unpredictable.
uint64_t engineSeed() {
    uint64_t seed = 0;
    if (::getrandom(&seed, sizeof seed, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof seed)) {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        seed = static_cast<uint64_t>(now.tv_nsec) ^ (static_cast<uint64_t>(now.tv_sec) << 30) ^
               (static_cast<uint64_t>(::getpid()) << 40) ^ reinterpret_cast<uintptr_t>(&seed);
    }
    return seed;
}

std::string randomSuffix() {
    static constexpr char LETTERS[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 engine{engineSeed()};
    std::string suffix(8, 'x');
    for (char& c : suffix) {
        c = LETTERS[engine() % (sizeof LETTERS - 1)];
    }
    return suffix;
}

}  // namespace

ReplacingFile::ReplacingFile(const std::string& target) {
    if (target.empty() || target.find('\0') != std::string::npos) {
        fail("no usable file name", EINVAL);
        return;
    }
    if (!findFinalPath(target) || !createTemporary()) {
        return;
    }
    if (target_exists_) {
        // Only root may give the file away; elsewhere this fails harmlessly and the file stays
        // the writer's, as any editor's save would leave it. The mode comes after the owner,
        // because a change of owner clears the set-id bits.
        if (::fchown(descriptor_, owner_, group_) != 0) {
            errno = 0;
        }
        if (::fchmod(descriptor_, static_cast<mode_t>(mode_)) != 0) {
            fail("cannot set the permissions of " + temporary_path_, errno);
            abandon();
        }
    }
}

ReplacingFile::~ReplacingFile() { abandon(); }

// Follows a chain of symbolic links to the file that really gets the bytes and checks that it
// may be replaced.
bool ReplacingFile::findFinalPath(const std::string& target) {
    std::string path = target;
    struct stat info {};
    for (int hops = 0;; ++hops) {
        if (::lstat(path.c_str(), &info) != 0) {
            if (errno != ENOENT) {
                fail("cannot examine " + path, errno);
                return false;
            }
            target_exists_ = false;
            break;
        }
        if (!S_ISLNK(info.st_mode)) {
            if (!S_ISREG(info.st_mode)) {
                fail(path + " is not a regular file", S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
                return false;
            }
            // The rename needs only the folder's permission; without this check a file the
            // process may not write would be replaced all the same.
            if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
                fail("cannot write " + path, errno);
                return false;
            }
            target_exists_ = true;
            mode_ = info.st_mode & 07777;
            owner_ = info.st_uid;
            group_ = info.st_gid;
            break;
        }
        if (hops >= MAX_LINK_HOPS) {
            fail("too many symbolic links at " + target, ELOOP);
            return false;
        }
        std::string link(static_cast<size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
        const ssize_t got = ::readlink(path.c_str(), link.data(), link.size());
        if (got < 0 || static_cast<size_t>(got) >= link.size()) {
            fail("cannot read the link " + path, got < 0 ? errno : ENAMETOOLONG);
            return false;
        }
        link.resize(static_cast<size_t>(got));
        path = !link.empty() && link[0] == '/' ? link : folderOf(path) + link;
    }
    final_path_ = path;
    return true;
}

// A new file beside the target. It is made with the mode a new file of the target's name would
// get, so the umask and the folder's default access list apply as they would to the target.
bool ReplacingFile::createTemporary() {
    const std::string folder = folderOf(final_path_);
    const std::string name = final_path_.substr(folder.size(), MAX_NAME_IN_TEMPORARY);
    for (int attempt = 0; attempt < TEMPORARY_ATTEMPTS; ++attempt) {
        const std::string candidate = folder + "." + name + "." + randomSuffix();
        int descriptor;
        do {
            descriptor = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        } while (descriptor < 0 && errno == EINTR);
        if (descriptor >= 0) {
            descriptor_ = descriptor;
            temporary_path_ = candidate;
            return true;
        }
        if (errno != EEXIST) {
            fail("cannot create a file beside " + final_path_, errno);
            return false;
        }
    }
    fail("cannot create a file beside " + final_path_, EEXIST);
    return false;
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
    // On Linux the descriptor is gone even when close reports an error, so it is not retried.
    if (::close(descriptor) != 0) {
        fail("cannot close " + final_path_, errno);
        abandon();
        return false;
    }
    if (::rename(temporary_path_.c_str(), final_path_.c_str()) != 0) {
        fail("cannot replace " + final_path_, errno);
        abandon();
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

bool replaceFileWith(const std::string& target, const void* source, size_t count, std::string* error) {
    ReplacingFile file(target);
    const bool ok = file.isOpen() && file.write(source, count) && file.commit();
    if (!ok && error != nullptr) {
        *error = file.error();
    }
    return ok;
}
