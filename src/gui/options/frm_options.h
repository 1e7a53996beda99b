#pragma once

#include "core/options/options.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QSpinBox;

// The options the user sets by hand: how long a copied secret stays on the
// clipboard and after how long without input the list locks itself.
class frm_options : public QWidget {
    Q_OBJECT
public:
    // Receives the two values as confirmed (seconds, minutes; 0: never).
    using Apply = std::function<void(int clipboardSeconds, int idleMinutes)>;
    // Opens the one options dialog showing current, or brings it forward
    // as it is.
    static frm_options* showOnce(const Options& current, Apply apply);

    QLabel* Label1;
    QSpinBox* txt_clipboard;
    QLabel* Label2;
    QSpinBox* txt_idle;
    QPushButton* Command1;
    QPushButton* Command2;

public slots:
    void Command1_Click();
    void Command2_Click();

private:
    frm_options(const Options& current, Apply apply);
    Apply m_apply;
    static inline QPointer<frm_options> s_instance;
};
