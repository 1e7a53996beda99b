#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

// Unlock: asks for the master password at every start after the first;
// the third wrong entry ends the program.
class frm_password : public QWidget {
    Q_OBJECT
public:
    frm_password();

    QLabel* Label1;
    QLineEdit* txt_password;
    QPushButton* Command1;
    QPushButton* Command2;

    int WrongEntryCount = 0;

public slots:
    void Command1_Click();
    void Command2_Click();
};
