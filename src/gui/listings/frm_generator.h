#pragma once

#include "core/listings/passwordgenerator.h"
#include "core/storage/secrettext.h"

#include <QPointer>
#include <QWidget>

class GeneratorContext;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class StrengthMeter;

// Makes a new password to the user's choice of length and characters,
// shows how strong it is, and copies it or puts it into a listing dialog's
// password box. Every change of a choice draws again and is kept.
class frm_generator : public QWidget {
    Q_OBJECT
public:
    // Opens the one generator over context. With target (a listing
    // dialog's password box) "Use" puts the password there; a generator
    // open for another box closes first.
    static frm_generator* showFor(GeneratorContext* context, QLineEdit* target = nullptr);

    QLabel* Label1;
    QSpinBox* txt_length;
    QCheckBox* chk_lower;
    QCheckBox* chk_upper;
    QCheckBox* chk_digits;
    QCheckBox* chk_symbols;
    QCheckBox* chk_lookalikes;
    QLineEdit* txt_generated;
    QProgressBar* bar_strength;
    QLabel* lbl_strength;
    // The same password judged as a master password would be: zxcvbn's
    // estimate, never above the bits drawn, at the key derivation's rate.
    QLabel* Label2;
    StrengthMeter* fra_master;
    QPushButton* cmd_new;
    QPushButton* cmd_copy;
    QPushButton* cmd_use;
    QPushButton* cmd_close;

    // The strength bar's top: passwords stronger than this fill it.
    static constexpr int kFullBarBits = 128;

public slots:
    void cmd_new_Click();
    void cmd_copy_Click();
    void cmd_use_Click();
    void cmd_close_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    frm_generator(GeneratorContext* context, QLineEdit* target);
    PasswordGenerator::Settings chosen() const;
    void choiceChanged();
    void showPassword(PasswordGenerator::Result result);

    QPointer<GeneratorContext> m_context;
    QPointer<QLineEdit> m_target;
    // The length as kept: 0 (the format's default) until the user sets one,
    // and more than this list takes when set with strong protection.
    int m_keptLength = 0;
    SecretText m_password;
    static inline QPointer<frm_generator> s_instance;
};
