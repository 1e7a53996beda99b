#pragma once

#include "storage/storageresult.h"

class PasswordGrid;

// Moves the list between its file and the listing window's grid, under
// MasterPassword.

// Appends one row per listing of the list file and removes the placeholder
// row 1; the file is left ciphered as it was.
StorageResult LoadList(PasswordGrid& grid);

// Writes grid rows 1 to Rows() - 1 as the list file; the current row is left
// on the last listing.
StorageResult SaveList(PasswordGrid& grid);
