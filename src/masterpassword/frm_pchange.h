#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

// Changes the master password while the list is open.
class frm_pchange : public QWidget {
    Q_OBJECT
public:
    // Opens the one change dialog, or brings it forward as it is.
    static frm_pchange* showOnce();

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
    frm_pchange();
    void clearNewBoxes();
    static inline QPointer<frm_pchange> s_instance;
};
