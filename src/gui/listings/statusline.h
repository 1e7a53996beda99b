#pragma once

#include <QStatusBar>
#include <QTimer>

class ClipboardGuard;
class ListSession;
class QLabel;

// The line under the list: the protection in effect and, after a copy,
// what was copied (never the value) with a countdown to the clipboard's
// clearing.
class StatusLine : public QStatusBar {
    Q_OBJECT
public:
    // Its height, fixed (22 pixels at 96 dpi).
    static constexpr int kHeightTwips = 330;

    StatusLine(const ListSession& session, ClipboardGuard& clipboard, QWidget* parent = nullptr);

    QLabel* lbl_protection;
    QLabel* lbl_copied;

public slots:
    // what: "Password of www.example.com".
    void showCopied(const QString& what);
    // Shows the protection and the countdown as they are now.
    void refresh();

private:
    const ListSession& m_session;
    ClipboardGuard& m_clipboard;
    QString m_copied;
    bool m_cleared = false; // the timed clear took the copy off
    QTimer m_tick;
};
