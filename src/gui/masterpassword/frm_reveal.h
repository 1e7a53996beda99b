#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class ListSession;
class QLabel;
class QLineEdit;
class QPushButton;

// Asks for the master password before hidden passwords show again, after
// the list locked itself but could not be saved.
class frm_reveal : public QWidget {
    Q_OBJECT
public:
    // Opens the one dialog, or brings it forward as it is; onAccepted runs
    // once the master password was typed.
    static frm_reveal* showOnce(ListSession& session, std::function<void()> onAccepted);

    QLabel* Label1;
    QLineEdit* txt_password;
    QPushButton* Command1;
    QPushButton* Command2;

public slots:
    void Command1_Click();
    void Command2_Click();

private:
    frm_reveal(ListSession& session, std::function<void()> onAccepted);
    ListSession& m_session;
    std::function<void()> m_onAccepted;
    static inline QPointer<frm_reveal> s_instance;
};
