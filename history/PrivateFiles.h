#pragma once
// The user's own files: a folder only its owner may enter and files only its
// owner may read, whatever the umask, never reached through a link that
// someone else controls.

#include <cstdint>
#include <optional>
#include <string>

// Creates `folder` (and its missing parents) and makes it 0700. An existing
// folder is made 0700 when it is ours; one that belongs to someone else, or
// a link owned by someone else, is refused. Empty on success, else the reason.
std::string MakePrivateFolder(const std::string& folder);

// Makes sure `path` is a regular file of ours with mode 0600, creating it
// (empty) when missing; never follows a final link. Sets `created` when the
// file is new. Empty on success, else the reason.
std::string MakePrivateFile(const std::string& path, bool& created);

// Narrows an existing file of ours to 0600 (a journal written under an
// earlier umask); a missing file is left missing.
void NarrowToOwner(const std::string& path);

// Bytes an ordinary user may still write in the file system of `path`.
std::optional<std::uint64_t> FreeBytes(const std::string& path);
