#pragma once
// The settings-file store: one per process, groups of "key = value" lines.
#include <cstdint>
#include <string>

// Nonzero when the file exists and could be opened, at least for reading. Closes any previous
// store first. When it returns 0 the path is remembered, and writes create the file at close;
// except when the path names something other than a regular file (a directory, a FIFO, a
// device): that is neither read nor ever written, and writes to the store are dropped.
int openPrefs(const std::string& path);
// Creates (or empties) the file at once; nonzero on success. Closes any previous store first.
int createPrefs(const std::string& path);
// 1 when the group exists (or the name is empty: the top of the file), 0 otherwise.
int selectPrefGroup(const std::string& name);
// The key's value read like "%d"; the default when the key is missing; 0 when no digit reads.
int32_t readPrefInt(const std::string& key, int32_t defaultValue);
void writePrefInt(const std::string& key, int32_t value);
// Writes the file if anything was written (never a read-only one), then empties the store.
void closePrefs();
