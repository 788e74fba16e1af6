#pragma once
// Numbered, buffered files and path helpers over POSIX.
//
// Files are addressed by small non-negative numbers the caller chooses; opening under a number
// that is in use closes the previous file first. Every operation on a number without an open
// file does nothing and returns 0.
#include <cstdint>
#include <string>

// Opens an existing file for reading. Nonzero on success; 0 for a directory. Never blocks:
// a FIFO or device is opened without waiting and read only as far as data is at hand.
int openForReading(int number, const std::string& path);
// Starts a file that replaces `path` when the number is closed: the bytes go to a temporary
// file beside it, and the target keeps what it held until closeFileNumber renames the complete
// file over it (see replacing_file.h: symbolic links are followed, permission bits kept). A
// target that is not a regular file (directory, FIFO, device), or that may not be written, is
// refused. Nonzero on success.
int createForWriting(int number, const std::string& path);
// Delivers up to count bytes; fewer only at the end of the file (or on a read error).
int64_t readBlock(int number, void* destination, int64_t count);
// Appends one byte; 1, or 0 for a number without an open file.
int writeOneByte(int number, int value);
// Appends count bytes; the count written, or what a direct write managed.
int64_t writeBlock(int number, const void* source, int64_t count);
// Writes out what is buffered and closes; a file created for writing then replaces its target.
// Nonzero when every byte written reached the file and the close (and the replacement)
// succeeded. 0 otherwise, also for a number without an open file; a created file's target is
// then left as it was and nothing is left beside it.
int closeFileNumber(int number);
// Flushes and closes every open file (at shutdown), completing the files created for writing.
void closeAllFiles();

// Size in bytes; -1 when there is no such file, -2 for a directory. A FIFO, socket or device
// has no size to rely on and gives -1 as well.
int64_t fileSizeOf(const std::string& path);
// The process's current directory, always ending in "/".
std::string currentDirectory();
// Everything up to and including the last "/" or "\"; empty when there is none.
std::string directoryPartOf(const std::string& path);
// Everything after the last "/" or "\", extension included.
std::string namePartOf(const std::string& path);
