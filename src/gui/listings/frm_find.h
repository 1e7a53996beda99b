#pragma once

#include <QPointer>
#include <QWidget>

class PasswordGrid;
class QLabel;
class QLineEdit;
class QPushButton;

// Finds a listing whose web site or user name holds the typed text and
// makes it the grid's current row: the first one as the text is typed, the
// next one (wrapping past the end) on "Find Next" or F3. Modeless; Return
// presses "Close", which leaves the found row current, and Escape closes.
// It moves aside so that it never covers the row it found.
class frm_find : public QWidget {
    Q_OBJECT
public:
    // Opens the one find dialog over grid, or brings it forward as it is.
    // lastSearch (kept by the caller, may be null) holds what was typed, so
    // that F3 finds on after the dialog closed and the dialog opens with it.
    static frm_find* showOnce(PasswordGrid* grid, QString* lastSearch = nullptr);
    static frm_find* instance() { return s_instance; }

    struct Next {
        bool found = false;
        QString note; // the search went round, or found the same row again
    };
    // Makes the next listing after the grid's current row (wrapping) that
    // holds text current; what it found is not moved under any dialog.
    static Next findNext(PasswordGrid& grid, const QString& text);

    QLabel* Label1;
    QLineEdit* txt_find;
    QPushButton* cmd_findnext;
    QPushButton* cmd_close;
    QLabel* lbl_status;

public slots:
    void cmd_findnext_Click();
    void cmd_close_Click();
    void txt_find_Change();

private:
    frm_find(PasswordGrid* grid, QString* lastSearch);
    // Makes row current in the grid and keeps the dialog off it.
    void showFound(int row, int column);
    void moveOffRow(int row);

    QPointer<PasswordGrid> m_grid;
    QString* m_lastSearch;
    static inline QPointer<frm_find> s_instance;
};
