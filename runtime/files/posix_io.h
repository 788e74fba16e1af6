#pragma once
// The one loop that gets a whole buffer onto a descriptor.
#include <cstddef>

// Writes all `count` bytes, retrying after EINTR and after short writes. True only when every
// byte was accepted; false on the first real error (errno tells which), e.g. EFBIG under a
// file-size limit or ENOSPC on a full disk. `written`, when given, receives how many bytes were
// accepted before the error (all of them on success).
[[nodiscard]] bool writeAll(int descriptor, const void* source, size_t count, size_t* written = nullptr);
