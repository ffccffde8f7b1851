#include "FaultyStream.h"

#ifdef _WIN32

// The C runtime of Windows has no custom streams: tests that need one are
// filtered out there (tests/windows/CMakeLists.txt).
std::FILE* OpenFaultyStream(std::string, size_t) {
    return nullptr;
}

#else

#include <errno.h>
#include <stdio.h>
#include <sys/types.h>

#include <algorithm>
#include <cstring>

namespace {

struct FaultyBytes {
    std::string bytes;
    size_t failAt;
    size_t position = 0;
};

ssize_t ReadFaulty(void* cookie, char* out, size_t size) {
    auto* f = static_cast<FaultyBytes*>(cookie);
    if (f->position >= f->failAt && f->position < f->bytes.size()) {
        errno = EIO;
        return -1;
    }
    const size_t limit = std::min(f->failAt, f->bytes.size());
    const size_t count = f->position < limit ? std::min(size, limit - f->position) : 0;
    std::memcpy(out, f->bytes.data() + f->position, count);
    f->position += count;
    return static_cast<ssize_t>(count);
}

int SeekFaulty(void* cookie, off64_t* offset, int whence) {
    auto* f = static_cast<FaultyBytes*>(cookie);
    off64_t base = 0;
    if (whence == SEEK_CUR) base = static_cast<off64_t>(f->position);
    if (whence == SEEK_END) base = static_cast<off64_t>(f->bytes.size());
    const off64_t target = base + *offset;
    if (target < 0) {
        errno = EINVAL;
        return -1;
    }
    f->position = static_cast<size_t>(target);
    *offset = target;
    return 0;
}

int CloseFaulty(void* cookie) {
    delete static_cast<FaultyBytes*>(cookie);
    return 0;
}

}  // namespace

std::FILE* OpenFaultyStream(std::string bytes, size_t failAt) {
    auto* state = new FaultyBytes{std::move(bytes), failAt};
    cookie_io_functions_t functions{};
    functions.read = ReadFaulty;
    functions.seek = SeekFaulty;
    functions.close = CloseFaulty;
    std::FILE* stream = fopencookie(state, "rb", functions);
    if (stream == nullptr) delete state;
    return stream;
}

#endif
