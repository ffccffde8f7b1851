#pragma once
// A read-only stream over bytes in memory whose reads fail with an I/O error
// once they reach a given offset, to see how readers cope with a failing disk.
// Built on glibc's custom streams.

#include <cstddef>
#include <cstdio>
#include <string>

// The caller closes the stream with fclose. Null if it cannot be made.
std::FILE* OpenFaultyStream(std::string bytes, size_t failAt);
