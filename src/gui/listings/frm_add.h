#pragma once

#include <QPointer>
#include <QWidget>

class PasswordGrid;
class QLabel;
class QLineEdit;
class QPushButton;

// Adds one listing as the grid's last row.
class frm_add : public QWidget {
    Q_OBJECT
public:
    // Opens the one add dialog over grid, or brings it forward as it is.
    static frm_add* showOnce(PasswordGrid* grid);

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
    explicit frm_add(PasswordGrid* grid);
    QPointer<PasswordGrid> m_grid;
    static inline QPointer<frm_add> s_instance;
};
