#pragma once

class QLineEdit;

// Refuses any edit that would leave box holding more than limit characters
// (typed, pasted or dropped) and then says so in a message that names the
// limit: nothing is ever cut silently. Text set by the program is not
// checked.
void LimitLength(QLineEdit* box, int limit);
