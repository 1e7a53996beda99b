#pragma once

#include <QString>

// The program-wide variables: paths and keys set once at start, the master
// password and the chosen listing while the program runs.
namespace Module1 {

inline QString AppDir;
inline QString StartupFilePath;
inline QString StartupFilePlainPath;
inline QString PasswordFilePath;
inline QString PasswordFilePlainPath;
inline QString ListFilePath;
inline QString ListFilePlainPath;
inline QString HelpFilePath;
inline QString StartupKey;
inline QString PasswordFileKey;
inline QString MasterPassword;
inline QString ChosenListing;

inline constexpr auto kStartupKey = "hmut58qkze";
inline constexpr auto kPasswordFileKey = "sx8peu3";

// Sets AppDir (with a trailing separator), every data file path and both
// fixed keys; clears MasterPassword and ChosenListing.
void SetAppDir(const QString& directory);

} // namespace Module1
