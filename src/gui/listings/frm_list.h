#pragma once

#include "core/listings/listfile.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <optional>

class PasswordGrid;
class QAction;
class QFrame;
class QLabel;
class QPushButton;

// The listing window: the grid of listings and the program's commands. It
// loads the list as it opens and saves it whenever it closes.
class frm_list : public QMainWindow {
    Q_OBJECT
public:
    // Opens the one listing window, loading the list; a load fault stops
    // the program.
    static frm_list* open();
    static frm_list* instance();

    // The system is ending the program: saves without a goodbye, once. A
    // failure goes to standard error and leaves the last good file.
    void saveForShutdown();
    // Saves the list and stays open, as the desktop session asks before a
    // logout. A failure goes to standard error and leaves the last good file.
    void saveNow();

    QLabel* Label1;
    QFrame* Line1;
    PasswordGrid* grd_password;
    QPushButton* cmd_add;
    QPushButton* cmd_edit;
    QPushButton* cmd_delete;
    QPushButton* cmd_lock;
    QPushButton* cmd_pword;
    QPushButton* cmd_nothing;
    QAction* mnu_btns;
    QAction* btn_add;
    QAction* btn_edit;
    QAction* btn_delete;
    QAction* mnu_lock;
    QAction* mnu_pword;
    QAction* mnu_tools;
    QAction* mnu_strong;
    QAction* mnu_help;
    QAction* mnu_about;
    QAction* mnu_dash1;
    QAction* mnu_help2;

public slots:
    void cmd_add_Click();
    void cmd_edit_Click();
    void cmd_delete_Click();
    void cmd_lock_Click();
    void cmd_pword_Click();
    void cmd_nothing_Click();
    void btn_add_Click() { cmd_add_Click(); }
    void btn_edit_Click() { cmd_edit_Click(); }
    void btn_delete_Click() { cmd_delete_Click(); }
    void mnu_lock_Click() { cmd_lock_Click(); }
    void mnu_pword_Click() { cmd_pword_Click(); }
    void mnu_strong_Click();
    void mnu_about_Click();
    void mnu_help2_Click();
    void grd_password_DblClick();

protected:
    // Form_Unload: every way of closing saves the list first.
    void closeEvent(QCloseEvent* event) override;

private:
    frm_list();
    void buildControls(QWidget* client);
    void buildMenus();
    bool Form_Load(ListFile::LoadReport* report);
    static QString damageMessage(const ListFile::LoadReport& report);
    // What the dialogs that re-cipher the list read it from: the grid while
    // it exists.
    std::function<std::optional<QList<Listing>>()> currentListings() const;
    void setColumnWidths();

    bool m_saved = false;
    int m_failedCloses = 0; // failed saves on close, in a row
    static inline QPointer<frm_list> s_instance;
};
