#pragma once
// The PC's end of a pseudo-terminal as a plain descriptor, for tests that
// talk to the simulated phone byte by byte.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// Opens `path` raw and non-blocking; -1 on failure.
int OpenRawTerminal(const std::string& path);

// Reads until `count` bytes came or `within` ran out; what came is returned.
std::vector<uint8_t> ReadTerminalBytes(int fd, size_t count, std::chrono::milliseconds within);
