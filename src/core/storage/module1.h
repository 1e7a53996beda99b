#pragma once

#include "core/storage/datafolder.h"
#include "core/storage/secrettext.h"
#include "core/storage/vault.h"

#include <QString>

// The program-wide state: the data folder set once at start, the master
// password and the chosen listing while the program runs.
namespace Module1 {

inline DataFolder Folder;
inline QString AppDir;
inline QString HelpFilePath;
inline SecretText MasterPassword;
// With strong protection on, the open vault's key stands in for the master
// password, which is then not kept at all (MasterPassword stays empty).
inline Vault::Session StrongSession;
inline QString ChosenListing;

// Sets the data folder for directory (AppDir with a trailing separator,
// every data file's path with its link resolved, both fixed keys); clears
// MasterPassword, StrongSession and ChosenListing.
void SetAppDir(const QString& directory);

} // namespace Module1
