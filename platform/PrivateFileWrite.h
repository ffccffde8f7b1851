#pragma once
// Writing the user's own files where others may write too (a shared folder,
// a path someone else may have put a link at): nothing is ever written
// through a link or into a file that is not the user's alone.

#include <cstdio>
#include <string>
#include <string_view>

// Opens `path` to append to it: a new file is created 0600 whatever the
// umask; an existing one is used only when it is a regular file of this
// user's with no other name. Never through a link, never waiting on a FIFO.
// Null, with `reason`, otherwise.
std::FILE* OpenPrivateAppend(const std::string& path, std::string& reason);

// Writes `bytes` as the whole of the file at `path`, mode 0600. An existing
// file is replaced only when it, and every link on the way to it, is this
// user's (the system's own links aside); the bytes go to a new private
// file beside it first, which then takes its name, so a half-written file
// is never seen and no other file is written through. False, with `reason`,
// when refused or failed.
bool WritePrivateFile(const std::string& path, std::string_view bytes, std::string& reason);
