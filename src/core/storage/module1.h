#pragma once

#include "core/storage/datafolder.h"

#include <QString>

// The program-wide values: the data folder set once at start and the chosen
// listing while the program runs. The master password belongs to the open
// list's session.
namespace Module1 {

inline DataFolder Folder;
inline QString AppDir;
inline QString HelpFilePath;
inline QString ChosenListing;

// Sets the data folder for directory (AppDir with a trailing separator,
// every data file's path with its link resolved, both fixed keys); clears
// ChosenListing.
void SetAppDir(const QString& directory);

} // namespace Module1
