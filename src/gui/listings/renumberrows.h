#pragma once

class PasswordGrid;

// Rewrites the "#" cell of every listing row with its row index; leaves the
// current cell in column 0 of the last listing.
void RenumberRows(PasswordGrid& grid);
