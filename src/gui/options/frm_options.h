#pragma once

#include "core/options/options.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

// The options the user sets by hand: how long a copied secret stays on the
// clipboard, after how long without input the list locks itself, and
// whether it locks with the screen.
class frm_options : public QWidget {
    Q_OBJECT
public:
    // Receives the values as confirmed (seconds, minutes; 0: never).
    using Apply = std::function<void(int clipboardSeconds, int idleMinutes, bool lockOnScreenLock)>;
    // Opens the one options dialog showing current, or brings it forward
    // as it is. Without screenLockSeen (no bus to hear the screen lock on)
    // the screen lock choice is shown but cannot be changed, and says why.
    static frm_options* showOnce(const Options& current, bool screenLockSeen, Apply apply);

    QLabel* Label1;
    QSpinBox* txt_clipboard;
    QLabel* Label2;
    QSpinBox* txt_idle;
    QCheckBox* chk_screenlock;
    QLabel* lbl_screenlock; // shown only when the screen lock cannot be seen
    QPushButton* Command1;
    QPushButton* Command2;

public slots:
    void Command1_Click();
    void Command2_Click();

private:
    frm_options(const Options& current, bool screenLockSeen, Apply apply);
    Apply m_apply;
    static inline QPointer<frm_options> s_instance;
};
