#pragma once
// Where the program's own files (default skin, read-me) live: the build
// tree's copy when the program runs from the build tree, else the installed
// share/telvoxa folder.

#include <QString>

namespace DataFolder {
// The folder, without a trailing "/"; empty when none exists.
QString Path();
// `relative` inside the data folder; empty when there is no data folder.
QString FilePath(const QString& relative);
// Puts the data folder elsewhere (tests); an empty path restores the search.
void Override(const QString& folder);
}  // namespace DataFolder
