#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class ListSession;
class QLabel;
class QLineEdit;
class QPushButton;

// Changes the master password while the list is open.
class frm_pchange : public QWidget {
    Q_OBJECT
public:
    // Opens the one change dialog, or brings it forward as it is.
    static frm_pchange* showOnce(ListSession& session);

    QLabel* Label1;
    QLineEdit* txt_old;
    QLabel* Label2;
    QLineEdit* txt_new;
    QLabel* Label3;
    QLineEdit* txt_confirm;
    QPushButton* Command1;
    QPushButton* Command2;

public slots:
    void Command1_Click();
    void Command2_Click();

private:
    explicit frm_pchange(ListSession& session);
    ListSession& m_session;
    bool m_busy = false; // a key is being derived: presses are ignored
    static inline QPointer<frm_pchange> s_instance;
};
