#pragma once

#include "core/storage/datafolder.h"

#include <QString>

// The program-wide state: the data folder set once at start, the master
// password and the chosen listing while the program runs.
namespace Module1 {

inline DataFolder Folder;
inline QString AppDir;
inline QString HelpFilePath;
inline QString MasterPassword;
inline QString ChosenListing;

// Sets the data folder for directory (AppDir with a trailing separator,
// every data file's path with its link resolved, both fixed keys); clears
// MasterPassword and ChosenListing.
void SetAppDir(const QString& directory);

} // namespace Module1
