#pragma once

#include <QWidget>

#include <functional>

class ListSession;
class QCloseEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class StrengthMeter;

// First-run set-up with strong protection: the master password that seals
// the new list, typed twice (any script, up to 1,024 characters).
class frm_strongnew : public QWidget {
    Q_OBJECT
public:
    // Once the vault is in place, openList opens the listing window over
    // session (false when it could not: the dialog stays). Cancelling, or
    // closing the window, runs back instead (the question it came from).
    frm_strongnew(ListSession& session, std::function<bool()> openList, std::function<void()> back);

    QLabel* Label1;
    QLabel* Label2;
    QLineEdit* txt_npassword;
    StrengthMeter* fra_strength;
    QLabel* Label3;
    QLineEdit* txt_npasswordc;
    QPushButton* Command1;
    QPushButton* Command2;

public slots:
    void Command1_Click();
    void Command2_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ListSession& m_session;
    std::function<bool()> m_openList;
    std::function<void()> m_back;
    bool m_busy = false;
    bool m_done = false; // the list is open: closing goes nowhere back
};
