#pragma once

#include "core/listings/listfile.h"
#include "core/storage/storageresult.h"

class PasswordGrid;

// Moves the list between its file and the listing window's grid, under
// MasterPassword.

// Appends one row per listing of the list file and removes the placeholder
// row 1. Reads only, unless the file is damaged (report says so).
StorageResult LoadList(PasswordGrid& grid, ListFile::LoadReport* report = nullptr);

// Writes grid rows 1 to Rows() - 1 as the list file; the current row is left
// on the last listing.
StorageResult SaveList(PasswordGrid& grid);
