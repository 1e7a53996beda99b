#pragma once

#include "core/listings/listfile.h"
#include "core/session/listsession.h"
#include "core/storage/storageresult.h"

class PasswordGrid;

// Moves the list between its file and the listing window's grid, under the
// session's key.

// Reads the list into the session and shows its listings as the grid's
// rows, in place of the placeholder row 1. Reads only, unless the file is
// damaged (report says so).
StorageResult LoadList(ListSession& session, PasswordGrid& grid, ListFile::LoadReport* report = nullptr);

// Writes the grid's rows (the session's listings) as the list; the current
// row is left on the last listing. A version another machine wrote is
// merged in first: the grid shows the merge, and the user is told (asked
// first for the password of a version that was saved under another one);
// with nobody there, the note goes to standard error.
StorageResult SaveList(ListSession& session, PasswordGrid& grid,
                       ListSession::Attendance attendance = ListSession::Attendance::Attended);
