#pragma once

#include <QString>

#include <functional>

class ListSession;
class QWidget;

// Tools -> Export...: the whole list written as a CSV file in clear, only on
// the user's explicit request. It asks for the master password again, warns
// (No the default), asks where, refuses the program's own folders, writes,
// and says where the file went and that it is to be deleted, or why nothing
// was written.
namespace ExportCommand {

// True when a file was written.
bool run(QWidget* parent, ListSession& session);

// The name the save dialog suggests, in the home folder.
QString suggestedPath();

// Test seam: while set, no save dialog shows; answer gets the path the
// dialog would start from and returns the one chosen (empty: Cancel).
using PathAnswer = std::function<QString(const QString& start)>;
void setPathAnswerForTesting(PathAnswer answer);

} // namespace ExportCommand
