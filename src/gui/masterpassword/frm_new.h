#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

// First-run set-up: the user chooses the master password, typed twice.
class frm_new : public QWidget {
    Q_OBJECT
public:
    // openList opens the listing window once MasterPassword is set; false
    // when it could not (the dialog then stays).
    explicit frm_new(std::function<bool()> openList);

    QLabel* Label1;
    QLabel* Label4;
    QLabel* Label2;
    QLineEdit* txt_npassword;
    QLabel* Label3;
    QLineEdit* txt_npasswordc;
    QPushButton* Command1;
    QPushButton* Command2;

public slots:
    void Command1_Click();
    void Command2_Click();

private:
    std::function<bool()> m_openList;
};
