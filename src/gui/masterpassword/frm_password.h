#pragma once

#include "core/storage/startup.h"

#include <QStringList>
#include <QWidget>

#include <functional>

class ListSession;
class QLabel;
class QLineEdit;
class QPushButton;

// Unlock: asks for the master password at every start after the first;
// the third wrong entry ends the program.
class frm_password : public QWidget {
    Q_OBJECT
public:
    // The entry unlocks session; openList then opens the listing window
    // over it (false when it could not: the dialog then stays). startNotes
    // is what the start kept or left in the folder, told once the list is
    // open.
    frm_password(ListSession& session, std::function<bool()> openList, QStringList startNotes = {});

    QLabel* Label1;
    QLineEdit* txt_password;
    QPushButton* Command1;
    QPushButton* Command2;

    int WrongEntryCount = 0;

public slots:
    void Command1_Click();
    void Command2_Click();

private:
    // A wrong entry: the message, the box emptied; the third ends it all.
    void refuse();

    // Opens the list and, once it is open, tells in one message what was
    // kept or left (and offers to remove weak copies kept beside a vault).
    // A vault that no password can open, with no pair beside it.
    void tellDamage(const Startup::VaultFound& vault);
    // entry opened the vault when weak copies are to be offered for removal.
    void openAndTell(QStringList notes, const QString* entryForWeakCopies = nullptr);

    ListSession& m_session;
    std::function<bool()> m_openList;
    QStringList m_startNotes;
    bool m_busy = false; // a question is deriving keys: presses are ignored
};
