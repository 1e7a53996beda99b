#pragma once

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
    // when it could not (the dialog then stays).
    explicit frm_password(std::function<bool()> openList);

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

    std::function<bool()> m_openList;
    bool m_busy = false; // a key is being derived: presses are ignored
};
