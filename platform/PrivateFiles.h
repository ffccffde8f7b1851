#pragma once
// The user's own files: a folder only its owner may enter and files only its
// owner may read, whatever the umask, never reached through a link that
// someone else controls.

#include <cstdint>
#include <optional>
#include <string>

// Creates `folder` (and its missing parents, each 0700) and makes it 0700.
// An existing folder of ours loses what others may do with it and keeps what
// its owner chose for itself (a folder made read-only stays so); one that
// belongs to someone else, or a link owned by someone else, is refused.
// Empty on success, else the reason.
std::string MakePrivateFolder(const std::string& folder);

// Makes sure `path` is a regular file of ours that only its owner may use,
// creating it (empty, 0600) when missing; never follows a final link. An
// existing file keeps its owner's permissions. Sets `created` when the file
// is new. Empty on success, else the reason.
std::string MakePrivateFile(const std::string& path, bool& created);

// Why `path` (a file or a folder that exists) must only be read: its owner
// took away its own write permission, or its file system is mounted
// read-only. Empty when it may be written or does not exist.
std::string ReadOnlyReason(const std::string& path);

// Narrows an existing file of ours to 0600 (a journal written under an
// earlier umask); a missing file is left missing.
void NarrowToOwner(const std::string& path);

// Bytes an ordinary user may still write in the file system of `path`.
std::optional<std::uint64_t> FreeBytes(const std::string& path);
