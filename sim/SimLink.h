#pragma once
// The stable name of the phone's port: a symbolic link to the path the PC
// opens, which a profile's "ports" entry can name across restarts and
// re-plugs.

#include <string>

// Points `link` at `target`, replacing an old link but never anything else.
bool MakeSimLink(const std::string& link, const std::string& target, std::string& error);
// Removes `link` when it still points at `target` (another phone may own it).
void RemoveSimLink(const std::string& link, const std::string& target);
