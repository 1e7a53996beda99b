#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

// Before a new list is set up: how it is to be protected. Strong protection
// is the default; the scrambled format stays for earlier versions. Closing
// the window ends the program, as closing the set-up does.
class frm_protect : public QWidget {
    Q_OBJECT
public:
    // Each choice opens the set-up for it, before this window closes.
    frm_protect(std::function<void()> onStrong, std::function<void()> onScrambled);

    QLabel* Label1;
    QPushButton* cmd_strong;
    QLabel* lbl_strong;
    QPushButton* cmd_scrambled;
    QLabel* lbl_scrambled;

public slots:
    void cmd_strong_Click();
    void cmd_scrambled_Click();

private:
    std::function<void()> m_onStrong;
    std::function<void()> m_onScrambled;
};
