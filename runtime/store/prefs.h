#pragma once
// The settings-file store: one per process, groups of "key = value" lines.
#include <cstdint>
#include <string>

// Nonzero when the file exists and could be opened, at least for reading. Closes any previous
// store first. When it returns 0 the path is remembered, and writes create the file at close;
// except when the path names something other than a regular file (a directory, a FIFO, a
// device): that is neither read nor ever written, and writes to the store are dropped.
int openPrefs(const std::string& path);
// Starts a new file under `path`, written whole when the store is closed (empty when nothing
// was written); an existing file keeps its bytes until then, and keeps them for good when the
// write fails. Nonzero on success. 0, and nothing is created, when the file is read-only (see
// closePrefs), is not a regular file, or cannot get a new file beside it. Closes any previous
// store first.
int createPrefs(const std::string& path);
// 1 when the group exists (or the name is empty: the top of the file), 0 otherwise.
int selectPrefGroup(const std::string& name);
// The key's value read like "%d"; the default when the key is missing; 0 when no digit reads.
int32_t readPrefInt(const std::string& key, int32_t defaultValue);
void writePrefInt(const std::string& key, int32_t value);
// Writes the file if anything was written, then empties the store. The new text goes to a new
// file beside the old one, renamed over it once complete; a symbolic link is followed and the
// file keeps its permission bits. A read-only file is never written: one whose owner has no
// write permission (whoever runs the program, root included), one the process may not write,
// or one that could not be read whole.
void closePrefs();
