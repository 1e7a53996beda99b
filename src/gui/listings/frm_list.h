#pragma once

#include "core/listings/listfile.h"
#include "core/options/optionsstore.h"
#include "gui/listings/savepolicy.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <optional>

class ClipboardGuard;
class GeneratorContext;
class IdleWatch;
class ListWatch;
class StatusLine;
class ListSession;
class PasswordGrid;
class RowCommands;
class ScreenLockWatch;
class QAction;
class QFrame;
class QLabel;
class QMenuBar;
class QPushButton;

// The listing window: the grid of listings (a view over the session's) and
// the program's commands. It loads the list as it opens and saves it
// whenever it closes, by its save policy.
class frm_list : public QMainWindow {
    Q_OBJECT
public:
    // Opens the one listing window over session, loading the list; a load
    // fault stops the program. session and clipboard (through which values
    // are copied) must outlive the window; without a clipboard the window
    // keeps its own.
    // beforeShow, when given, is handed the window before the list loads or
    // anything is shown: a lock may come as soon as a message is up (then
    // nothing is returned either).
    static frm_list* open(ListSession& session, ClipboardGuard* clipboard = nullptr,
                          const std::function<void(frm_list&)>& beforeShow = {});
    static frm_list* instance();

    // How the list is saved as its use ends: the app's end-of-session
    // handlers call it too.
    SavePolicy& savePolicy() { return m_savePolicy; }

    // The user left the program alone: closes any message box and, once the
    // calls that showed them have returned, locks as Lock/Close does
    // without a goodbye, then says locked(). A failed save keeps the window
    // with its passwords hidden until the master password is typed, and
    // tries again at the next idle period.
    void idleLock();

    ClipboardGuard* clipboard() const { return m_clipboard; }
    IdleWatch* idleWatch() const { return m_idle; }
    RowCommands* rowCommands() const { return m_rowCommands; }
    ListWatch* listWatch() const { return m_listWatch; }
    StatusLine* statusLine() const { return m_status; }
    // Merges the list kept in path into this one and saves (Merge From...).
    bool mergeFrom(const QString& path);
    // Adds the listings of the CSV file at path to this list and saves
    // (Import...); true once saved.
    bool importFrom(const QString& path);
    GeneratorContext* generatorContext() const { return m_generator; }
    const OptionsStore& optionsStore() const { return m_options; }
    // Whether a screen lock can be heard at all; until told, Options says it
    // cannot and keeps the choice from being changed.
    void setScreenLockSeen(bool seen) { m_screenLockSeen = seen; }
    // The list locks as it does when idle whenever watch hears the screen
    // lock or sleep coming, while "Lock when the screen locks" is on.
    void lockWithTheScreen(ScreenLockWatch* watch);
    // Whether hidden passwords wait for the master password.
    bool passwordsLocked() const { return m_passwordsLocked; }

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
    QAction* mnu_generator;
    QAction* mnu_restore;
    QAction* mnu_merge;
    QAction* mnu_import;
    QAction* mnu_export;
    QAction* mnu_showpasswords;
    QAction* mnu_find;
    QAction* mnu_findnext;
    QAction* mnu_dash2;
    QAction* mnu_options;
    QAction* mnu_help;
    QAction* mnu_about;
    QAction* mnu_dash1;
    QAction* mnu_help2;

signals:
    // An idle or screen lock saved and wiped the list; every window of it
    // closes as soon as the receivers return, so one of them may show the
    // unlock dialog again and keep the program running.
    void locked();

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
    void mnu_generator_Click();
    void mnu_restore_Click();
    // Tools -> Merge From...: picks a list file and merges it in.
    void mnu_merge_Click();
    // Tools -> Import...: picks a CSV file and adds its listings.
    void mnu_import_Click();
    // Tools -> Export...: the whole list as a CSV file in clear.
    void mnu_export_Click();
    void mnu_showpasswords_Click(bool checked);
    void mnu_find_Click();
    // F3: the next listing that holds what Find was last given, also once
    // its dialog closed; Find opens when nothing was given yet.
    void mnu_findnext_Click();
    void mnu_options_Click();
    void mnu_about_Click();
    void mnu_help2_Click();
    void grd_password_DblClick();

protected:
    // Form_Unload: every way of closing saves the list first.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frm_list(ListSession& session, ClipboardGuard* clipboard);
    void buildControls(QWidget* client);
    void buildMenus();
    void buildToolsMenu(QMenuBar* bar);
    bool Form_Load(ListFile::LoadReport* report);
    // Merges another machine's version of the list as it arrives.
    void watchTheListFile();
    QString damageMessage(const ListFile::LoadReport& report) const;
    void setColumnWidths();
    // Everything below the label takes the room beyond the described size.
    void layOutControls();
    // Opens at the remembered size, within the screen.
    void restoreSize();
    void rememberSize();
    // The list is saved (or let go): what the window shows of it, a copied
    // secret and the window's size are dealt with, once.
    void endSession();
    void applyOptions(int clipboardSeconds, int idleMinutes, bool lockOnScreenLock);
    void showPasswords(bool shown);
    void lockWhenNoBoxIsOpen();
    void lockNow();

    ListSession& m_session;
    QWidget* m_client = nullptr;
    std::array<int, 4> m_describedColWidths {}; // twips, from the described width
    ClipboardGuard* m_clipboard;
    IdleWatch* m_idle;
    RowCommands* m_rowCommands = nullptr;
    GeneratorContext* m_generator = nullptr;
    OptionsStore m_options;
    SavePolicy m_savePolicy;
    ListWatch* m_listWatch = nullptr;
    StatusLine* m_status = nullptr;
    QString m_lastSearch; // what Find was last given
    QPointer<ScreenLockWatch> m_screenLockWatch;
    bool m_passwordsLocked = false;
    bool m_lockPending = false;
    bool m_screenLockSeen = false;
    static inline QPointer<frm_list> s_instance;
};
