#include "runtime/files/posix_io.h"

#include <cerrno>
#include <cstdint>
#include <unistd.h>

bool writeAll(int descriptor, const void* source, size_t count) {
    const auto* bytes = static_cast<const uint8_t*>(source);
    while (count > 0) {
        const ssize_t put = ::write(descriptor, bytes, count);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (put == 0) {
            // A regular file that accepts nothing and reports no error would loop forever.
            errno = EIO;
            return false;
        }
        bytes += put;
        count -= static_cast<size_t>(put);
    }
    return true;
}
