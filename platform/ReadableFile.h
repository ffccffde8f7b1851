#pragma once
// Opening a file to read that someone else may have planted: a FIFO, a
// device or a folder in its place never blocks the program and is never
// read; only a regular file is, as checked on the opened file itself.

#include <cstdint>
#include <cstdio>
#include <string>

struct ReadableFile {
    std::FILE* file = nullptr;  // the caller's to fclose; null when refused
    std::uint64_t size = 0;     // the file's size when it was opened
    std::string reason;         // why it was refused: "not a regular file", or the system's words
};

// Opens `path` for reading without waiting on it and keeps it only when it
// is a regular file no larger than `maxSize` bytes (0: any size). Reads from
// the returned stream block as usual.
ReadableFile OpenReadableFile(const std::string& path, std::uint64_t maxSize = 0);

// Why `path` cannot be read as a regular file right now; empty when it can.
// For files that another component opens itself.
std::string ReadableFileProblem(const std::string& path);
