#pragma once

#include <QPointer>
#include <QWidget>

class ClipboardGuard;
class PasswordGrid;
class QLabel;
class QLineEdit;
class QPushButton;

// Adds one listing as the grid's last row.
class frm_add : public QWidget {
    Q_OBJECT
public:
    // Opens the one add dialog over grid, or brings it forward as it is.
    // A copy from the password box goes through clipboard.
    static frm_add* showOnce(PasswordGrid* grid, ClipboardGuard* clipboard = nullptr);

    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label1;
    QLineEdit* txt_program;
    QLabel* Label2;
    QLineEdit* txt_user;
    QLabel* Label3;
    QLineEdit* txt_password;
    QPushButton* cmd_add;
    QPushButton* Command2;

public slots:
    void cmd_add_Click();
    void Command2_Click();

private:
    frm_add(PasswordGrid* grid, ClipboardGuard* clipboard);
    QPointer<PasswordGrid> m_grid;
    static inline QPointer<frm_add> s_instance;
};
