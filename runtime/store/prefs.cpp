// The one settings store of the process, kept as a list of entries between open and close.
//
// Only regular files are stores: a directory, FIFO or device under the settings name is
// refused without remembering the path, so it is never read from nor written to. The file
// stays open while the store is, and is rewritten in place at close when something changed.
// Names are already UTF-8 on this platform, so a store that began with the UTF-8 mark keeps
// the mark and compares names byte for byte like any other.
#include "runtime/store/prefs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "runtime/store/pref_text.h"

namespace {

constexpr std::string_view UTF8_MARK = "\xEF\xBB\xBF";

struct PrefStore {
    int descriptor = -1;
    std::optional<std::string> rememberedPath;
    bool modified = false;
    bool readOnly = false;
    bool utf8 = false;
    std::vector<PrefEntry> entries;
    // Index of the selected group entry; empty for the top of the file.
    std::optional<size_t> currentGroup;
    std::optional<std::string> pendingGroup;

    [[nodiscard]] bool usable() const { return descriptor >= 0 || rememberedPath.has_value(); }
};

PrefStore& store() {
    static PrefStore instance;
    return instance;
}

int openRegular(const std::string& path, int flags) {
    // The system call would stop at an embedded zero byte and open some other name.
    if (path.find('\0') != std::string::npos) {
        errno = EINVAL;
        return -1;
    }
    int descriptor;
    do {
        descriptor = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
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

bool writeWhole(int descriptor, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t put =
            ::pwrite(descriptor, text.data() + done, text.size() - done, static_cast<off_t>(done));
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        done += static_cast<size_t>(put);
    }
    return true;
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

void writeOut(PrefStore& s) {
    if (s.readOnly) {
        return;
    }
    if (s.descriptor < 0 && s.rememberedPath) {
        s.descriptor = openRegular(*s.rememberedPath, O_RDWR | O_CREAT | O_TRUNC);
    }
    if (s.descriptor < 0) {
        return;
    }
    const std::string text = buildPrefText(s.entries, s.utf8);
    // Errors have no one to go to: the caller of closePrefs expects no result, and a partly
    // written file is still cut to the length that reached it.
    if (writeWhole(s.descriptor, text)) {
        (void)::ftruncate(s.descriptor, static_cast<off_t>(text.size()));
    }
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
    if (s.modified) {
        writeOut(s);
    }
    if (s.descriptor >= 0) {
        ::close(s.descriptor);
    }
    s = PrefStore{};
}

int openPrefs(const std::string& path) {
    closePrefs();
    PrefStore& s = store();
    int descriptor = openRegular(path, O_RDWR);
    if (descriptor < 0 && errno != EISDIR) {
        descriptor = openRegular(path, O_RDONLY);
        s.readOnly = descriptor >= 0;
    }
    if (descriptor < 0) {
        // Anything that exists but is not a regular file must never be created over.
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode)) {
            s.rememberedPath = path;
        }
        s.readOnly = false;
        return 0;
    }
    s.descriptor = descriptor;

    std::string text;
    if (readWhole(descriptor, text)) {
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
    const int descriptor = openRegular(path, O_RDWR | O_CREAT | O_TRUNC);
    if (descriptor < 0) {
        return 0;
    }
    store().descriptor = descriptor;
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
