#pragma once

#include <QObject>

class ClipboardGuard;
class PasswordGrid;
class QAction;
class QMenu;
class QPoint;
class QWidget;

// What the listing window offers for the grid's current row without showing
// its values: copying the password, user name or web site (window-wide
// keys and the row's context menu), opening the web site, and changing or
// deleting that listing without asking for its number.
class RowCommands : public QObject {
    Q_OBJECT
public:
    // The keys act anywhere in window.
    RowCommands(QWidget* window, PasswordGrid* grid, ClipboardGuard* clipboard);

    QAction* mnu_copypassword;
    QAction* mnu_copyuser;
    QAction* mnu_copysite;
    QAction* mnu_opensite;
    QAction* mnu_editrow;
    QAction* mnu_deleterow;
    QMenu* mnu_row_menu;

    // Copies the current row's cell of column (1 to 3): its text cut at a
    // NUL and trimmed of spaces; passwords and user names as secrets. False
    // when no listing is current.
    bool copyCell(int column);

signals:
    // A cell was copied: what it was ("Password of www.example.com"), never
    // the value.
    void copied(const QString& what);

private:
    void showRowMenu(const QPoint& globalPos);
    void openSite();
    void editRow();
    void deleteRow();

    QAction* m_openSiteDash;
    PasswordGrid* m_grid;
    ClipboardGuard* m_clipboard;
};
