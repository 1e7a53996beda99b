#pragma once

#include <QWidget>

#include <functional>

class ListSession;
class QLabel;
class QLineEdit;
class QPushButton;

// First-run set-up: the user chooses the master password, typed twice.
class frm_new : public QWidget {
    Q_OBJECT
public:
    // The chosen password becomes session's key; openList then opens the
    // listing window over it (false when it could not: the dialog stays).
    frm_new(ListSession& session, std::function<bool()> openList);

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
    ListSession& m_session;
    std::function<bool()> m_openList;
};
