#pragma once
// Whether someone may read what is written to a stream: a terminal, rather
// than a pipe, a file or nothing (a program started from the desktop).

#include <cstdio>

bool IsTerminal(std::FILE* stream);
