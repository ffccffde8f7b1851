#pragma once
// The few POSIX calls that the shared test fixtures make, in terms of the C
// runtime of Windows; put in front of every test source of the Windows build.

#include <direct.h>
#include <stdlib.h>
#include <string.h>

inline int setenv(const char* name, const char* value, int overwrite) {
    if (overwrite == 0 && getenv(name) != nullptr) return 0;
    return _putenv_s(name, value) == 0 ? 0 : -1;
}

// An empty value removes the variable from the environment.
inline int unsetenv(const char* name) {
    return _putenv_s(name, "") == 0 ? 0 : -1;
}

// A new folder named after the template's XXXXXX, tried a few times over.
inline char* mkdtemp(char* pattern) {
    const size_t size = strlen(pattern) + 1;
    char* attempt = static_cast<char*>(malloc(size));
    if (attempt == nullptr) return nullptr;
    char* made = nullptr;
    for (int i = 0; i < 100 && made == nullptr; ++i) {
        memcpy(attempt, pattern, size);
        if (_mktemp_s(attempt, size) != 0) break;
        if (_mkdir(attempt) == 0) {
            memcpy(pattern, attempt, size);
            made = pattern;
        }
    }
    free(attempt);
    return made;
}
