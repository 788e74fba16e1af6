#include "runtime/files/posix_io.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>

bool writeAll(int descriptor, const void* source, size_t count, size_t* written) {
    const auto* bytes = static_cast<const uint8_t*>(source);
    size_t done = 0;
    bool ok = true;
    while (done < count) {
        const ssize_t put = ::write(descriptor, bytes + done, count - done);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            ok = false;
            break;
        }
        if (put == 0) {
            // A file that accepts nothing and reports no error would loop forever.
            errno = EIO;
            ok = false;
            break;
        }
        done += static_cast<size_t>(put);
    }
    if (written != nullptr) {
        *written = done;
    }
    return ok;
}
