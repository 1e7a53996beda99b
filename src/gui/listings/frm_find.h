#pragma once

#include <QPointer>
#include <QWidget>

class PasswordGrid;
class QLabel;
class QLineEdit;
class QPushButton;

// Finds the next listing whose web site or user name holds the typed text
// and makes it the grid's current row. Modeless; Return presses "Find
// Next" and Escape closes it.
class frm_find : public QWidget {
    Q_OBJECT
public:
    // Opens the one find dialog over grid, or brings it forward as it is.
    static frm_find* showOnce(PasswordGrid* grid);

    QLabel* Label1;
    QLineEdit* txt_find;
    QPushButton* cmd_findnext;

public slots:
    void cmd_findnext_Click();

private:
    explicit frm_find(PasswordGrid* grid);
    QPointer<PasswordGrid> m_grid;
    static inline QPointer<frm_find> s_instance;
};
