#pragma once

#include <QPersistentModelIndex>
#include <QPointer>
#include <QWidget>

class ClipboardGuard;
class PasswordGrid;
class QLabel;
class QLineEdit;
class QPushButton;

// Changes the listing chosen in the which-dialog. It writes to the listing
// it shows and only to it: it follows that listing when rows move, and
// closes when the listing is deleted.
class frm_edit : public QWidget {
    Q_OBJECT
public:
    // Shows the listing of grid that chosen (as typed) names: opens the one
    // change dialog, or fills the open one again. A copy from the password
    // box goes through clipboard.
    static frm_edit* showChosen(PasswordGrid* grid, const QString& chosen, ClipboardGuard* clipboard = nullptr);

    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* lbl_list;
    QLabel* Label1;
    QLineEdit* txt_program;
    QLabel* Label2;
    QLineEdit* txt_user;
    QLabel* Label3;
    QLineEdit* txt_password;
    QPushButton* cmd_change;
    QPushButton* Command1;

public slots:
    void cmd_change_Click();
    void Command1_Click();

private:
    frm_edit();
    // Fills the dialog from the chosen listing.
    void Form_Load(PasswordGrid* grid, const QString& chosen);
    // Rows moved or went: the dialog follows its listing, or closes.
    void followListing();
    void showNumber(const QString& number);

    QPointer<PasswordGrid> m_grid;
    QPersistentModelIndex m_listing; // column 0 of the shown listing's row
    int m_chosenRow = 0;
    int m_shownRow = 0; // the row whose number lbl_list shows
    QString m_chosenText;
    static inline QPointer<frm_edit> s_instance;
};
