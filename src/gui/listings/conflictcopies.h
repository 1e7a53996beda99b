#pragma once

#include <QString>

class ListSession;
class PasswordGrid;

// Other versions of the list kept in files: the conflict copies sync tools
// leave in the folder, offered at unlock and after each merge, and a file
// the user picks to merge from.
namespace ConflictCopies {

// Offers each conflict copy in the folder (Yes is the default). One that
// is merged is saved with the list, then moved to a backup name, never
// deleted; a declined one stays and is offered again at the next unlock.
void offer(ListSession& session, PasswordGrid& grid);

// Merges the list in path (a vault or a list file) into the open list and
// saves it; asks for its password when neither the key in memory nor a
// password file beside it opens it. False when nothing was merged.
bool mergeFrom(ListSession& session, PasswordGrid& grid, const QString& path);

} // namespace ConflictCopies
