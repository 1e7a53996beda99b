#pragma once

#include "core/listings/listbackups.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <optional>

class PasswordGrid;
class ListSession;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// Tools -> Restore From Backup: lists the copies of the list the program
// kept, reads the chosen one under its password and, once the user agrees,
// makes it the open list under the password in force. The list it replaces
// is kept as a backup first.
class frm_restore : public QWidget {
    Q_OBJECT
public:
    // Opens the one dialog over the listing window's grid, or brings it
    // forward as it is.
    static frm_restore* showOnce(ListSession& session, PasswordGrid* grid);

    QLabel* Label1;
    QTreeWidget* lst_backups;
    QLabel* Label2;
    QLineEdit* txt_password;
    QPushButton* Command1;
    QPushButton* Command2;

public slots:
    void Command1_Click();
    void Command2_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    frm_restore(ListSession& session, PasswordGrid* grid);
    void fillList();
    // The chosen backup's listings; nothing once a message has said why not.
    std::optional<QList<Listing>> readChosen(const ListBackups::Backup& backup);
    void restore(const ListBackups::Backup& backup, const QList<Listing>& listings);

    ListSession& m_session;
    QPointer<PasswordGrid> m_grid;
    QList<ListBackups::Backup> m_backups;
    bool m_busy = false; // a key is being derived: presses are ignored
    static inline QPointer<frm_restore> s_instance;
};
