#pragma once

#include <QObject>
#include <QPointer>

#include "gui/ui/clipboardguard.h"
class QLineEdit;
class QMenu;

// Watches a box that holds a listing's password: its selection never stays
// the X11 PRIMARY selection (which any program reads, with no mark and no
// clear), and Copy and Cut, by key or from the context menu, go through the
// clipboard guard as a secret. Without a guard they copy nothing.
class SecretBox : public QObject {
    Q_OBJECT
public:
    // Watches box from now on; the watch is a child of box.
    static SecretBox* watch(QLineEdit* box, ClipboardGuard* clipboard);
    // The watch of box, if it has one.
    static SecretBox* of(const QLineEdit* box);

    void setClipboard(ClipboardGuard* clipboard) { m_clipboard = clipboard; }
    // Makes the Copy and Cut entries of box's standard context menu copy
    // through the guard.
    void routeMenu(QMenu* menu);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SecretBox(QLineEdit* box, ClipboardGuard* clipboard);
    void copy(bool cut);
    void dropSelectionCopy();

    QLineEdit* m_box;
    QPointer<ClipboardGuard> m_clipboard;
};
