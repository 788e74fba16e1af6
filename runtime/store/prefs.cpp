// The one settings store of the process, kept as a list of entries between open and close.
//
// Only regular files are stores: a directory, FIFO or device under the settings name is
// refused without remembering the path, so it is never read from nor written to. The file is
// read whole at open and closed again; when something changed, the close writes the rebuilt
// text to a new file beside it and renames that over it (ReplacingFile), so a failed write
// never leaves a cut or empty settings file. Names are already UTF-8 on this platform, so a
// store that began with the UTF-8 mark keeps the mark and compares names byte for byte like
// any other.
#include "runtime/store/prefs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/files/replacing_file.h"
#include "runtime/store/pref_text.h"

namespace {

constexpr std::string_view UTF8_MARK = "\xEF\xBB\xBF";

struct PrefStore {
    // The file the store was opened or created on; none while the store is empty.
    std::optional<std::string> path;
    // createPrefs: the file that replaces the old one at close, even when nothing was written.
    std::unique_ptr<ReplacingFile> created;
    bool modified = false;
    bool readOnly = false;
    bool utf8 = false;
    std::vector<PrefEntry> entries;
    // Index of the selected group entry; empty for the top of the file.
    std::optional<size_t> currentGroup;
    std::optional<std::string> pendingGroup;

    [[nodiscard]] bool usable() const { return path.has_value(); }
};

PrefStore& store() {
    static PrefStore instance;
    return instance;
}

// The read-only rule: a settings file whose owner has no write permission is read-only for
// everyone, root included, whatever the process could do to it. (A file the process may not
// write, another user's, is refused by ReplacingFile as well.)
bool ownerMayWrite(const struct stat& info) { return (info.st_mode & S_IWUSR) != 0; }

// True when the settings file at `path` may be written: it is missing (and gets created), or
// it is a regular file that is not read-only.
bool mayRewrite(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return errno == ENOENT;
    }
    return S_ISREG(info.st_mode) && ownerMayWrite(info);
}

int openForReadingOnly(const std::string& path) {
    // The system call would stop at an embedded zero byte and open some other name.
    if (path.find('\0') != std::string::npos) {
        errno = EINVAL;
        return -1;
    }
    int descriptor;
    do {
        // Non-blocking, so that a FIFO under the name cannot hang the open.
        descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0) {
        return -1;
    }
    struct stat info {};
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(descriptor);
        errno = EISDIR;
        return -1;
    }
    const int status = ::fcntl(descriptor, F_GETFL);
    if (status >= 0) {
        ::fcntl(descriptor, F_SETFL, status & ~O_NONBLOCK);
    }
    return descriptor;
}

bool readWhole(int descriptor, std::string& text) {
    text.clear();
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(descriptor, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            return true;
        }
        text.append(chunk, static_cast<size_t>(got));
    }
}

// The range [first, end) of entries that belong to the selected group.
std::pair<size_t, size_t> currentRange(const PrefStore& s) {
    const size_t first = s.currentGroup ? *s.currentGroup + 1 : 0;
    size_t end = first;
    while (end < s.entries.size() && s.entries[end].kind != PrefEntryKind::Group) {
        ++end;
    }
    return {first, end};
}

PrefEntry* findKey(PrefStore& s, const std::string& key) {
    const auto [first, end] = currentRange(s);
    for (size_t i = first; i < end; ++i) {
        PrefEntry& entry = s.entries[i];
        if (entry.kind == PrefEntryKind::Key && prefNamesMatch(entry.key, key)) {
            return &entry;
        }
    }
    return nullptr;
}

// Errors have no one to go to: the caller of closePrefs expects no result. A failed write
// leaves the old file as it was.
void writeOut(PrefStore& s) {
    const std::string text = buildPrefText(s.entries, s.utf8);
    if (s.created != nullptr) {
        (void)(s.created->write(text.data(), text.size()) && s.created->commit());
        return;
    }
    // The file may have changed since it was opened; the rule is applied to what is there now.
    if (s.readOnly || !mayRewrite(*s.path)) {
        return;
    }
    (void)replaceFileWith(*s.path, text.data(), text.size());
}

// Writes out a store still open when the process ends. Constructed after the store itself,
// so it is destroyed before it.
struct ShutdownClose {
    ShutdownClose() { (void)store(); }
    ~ShutdownClose() { closePrefs(); }
};
const ShutdownClose shutdownClose;

}  // namespace

void closePrefs() {
    PrefStore& s = store();
    if (s.usable() && (s.modified || s.created != nullptr)) {
        writeOut(s);
    }
    s = PrefStore{};
}

int openPrefs(const std::string& path) {
    closePrefs();
    PrefStore& s = store();
    const int descriptor = openForReadingOnly(path);
    if (descriptor < 0) {
        // Anything that exists but is not a regular file must never be created over.
        struct stat info {};
        if (errno != EISDIR && (::stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode))) {
            s.path = path;
        }
        return 0;
    }
    s.path = path;
    struct stat info {};
    s.readOnly = ::fstat(descriptor, &info) != 0 || !ownerMayWrite(info);

    std::string text;
    const bool whole = readWhole(descriptor, text);
    ::close(descriptor);
    if (whole) {
        std::string_view body = text;
        if (body.substr(0, UTF8_MARK.size()) == UTF8_MARK) {
            s.utf8 = true;
            body.remove_prefix(UTF8_MARK.size());
        }
        s.entries = parsePrefText(body);
    } else {
        // A file that could not be read whole must not be rewritten from what was read.
        s.readOnly = true;
    }
    return 1;
}

int createPrefs(const std::string& path) {
    closePrefs();
    if (!mayRewrite(path)) {
        return 0;
    }
    auto file = std::make_unique<ReplacingFile>(path);
    if (!file->isOpen()) {
        return 0;
    }
    PrefStore& s = store();
    s.path = path;
    s.created = std::move(file);
    return 1;
}
int selectPrefGroup(const std::string& name) {
    PrefStore& s = store();
    if (!s.usable()) {
        return 0;
    }
    s.pendingGroup.reset();
    if (name.empty()) {
        s.currentGroup.reset();
        return 1;
    }
    for (size_t i = 0; i < s.entries.size(); ++i) {
        const PrefEntry& entry = s.entries[i];
        if (entry.kind == PrefEntryKind::Group && prefNamesMatch(entry.text, name)) {
            s.currentGroup = i;
            return 1;
        }
    }
    s.pendingGroup = name;
    return 0;
}

int32_t readPrefInt(const std::string& key, int32_t defaultValue) {
    PrefStore& s = store();
    if (!s.usable() || s.pendingGroup) {
        return defaultValue;
    }
    const PrefEntry* entry = findKey(s, key);
    return entry == nullptr ? defaultValue : prefValueAsInt(entry->text);
}

void writePrefInt(const std::string& key, int32_t value) {
    PrefStore& s = store();
    if (!s.usable()) {
        return;
    }
    if (s.pendingGroup) {
        s.entries.push_back(PrefEntry{PrefEntryKind::Group, {}, *s.pendingGroup});
        s.currentGroup = s.entries.size() - 1;
        s.pendingGroup.reset();
    }
    if (PrefEntry* entry = findKey(s, key)) {
        entry->key = key;
        entry->text = std::to_string(value);
    } else {
        const size_t at = currentRange(s).second;
        s.entries.insert(s.entries.begin() + static_cast<std::ptrdiff_t>(at),
                         PrefEntry{PrefEntryKind::Key, key, std::to_string(value)});
    }
    s.modified = true;
}
