#pragma once

#include "core/listings/listfile.h"
#include "core/storage/startup.h"

#include <QStringList>
#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

// Unlock: asks for the master password at every start after the first;
// the third wrong entry ends the program.
class frm_password : public QWidget {
    Q_OBJECT
public:
    // openList opens the listing window once MasterPassword is set; false
    // when it could not (the dialog then stays). startNotes is what the start
    // kept or left in the folder, told once the list is open. openedListings
    // reads the open list, to check weak copies against it.
    explicit frm_password(std::function<bool()> openList, QStringList startNotes = {},
                          ListingsSource openedListings = {});

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

    std::function<bool()> m_openList;
    QStringList m_startNotes;
    ListingsSource m_openedListings;
    bool m_busy = false; // a key is being derived: presses are ignored
};
