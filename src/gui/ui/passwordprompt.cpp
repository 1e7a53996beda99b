#include "gui/ui/passwordprompt.h"

#include "core/storage/secrettext.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/lengthlimit.h"
#include "gui/ui/msgbox.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace PasswordPrompt {
namespace {

Answer testAnswer;
// As long as a vault's password may be.
constexpr int kLongestPassword = 1024;

} // namespace

std::optional<QString> ask(const QString& text, const QString& caption)
{
    if (testAnswer)
        return testAnswer(text);
    QDialog dialog;
    dialog.setObjectName(QStringLiteral("frm_prompt"));
    dialog.setWindowTitle(caption);
    dialog.setWindowIcon(Forms::appIcon());
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(text, &dialog);
    label->setObjectName(QStringLiteral("lbl_prompt"));
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setMinimumWidth(360);
    auto* box = new QLineEdit(&dialog);
    box->setObjectName(QStringLiteral("txt_password"));
    box->setEchoMode(QLineEdit::Password);
    LimitLength(box, kLongestPassword);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(box);
    layout->addWidget(buttons);
    box->setFocus();
    std::optional<QString> typed;
    if (dialog.exec() == QDialog::Accepted)
        typed = box->text();
    // Nothing of it stays in the box's undo history.
    box->clear();
    return typed;
}

bool askUntilTaken(const QString& text, const QString& caption, const QString& shownName,
                   const std::function<bool(const QString&)>& tryPassword)
{
    for (;;) {
        std::optional<QString> typed = ask(text, caption);
        if (!typed)
            return false;
        const bool taken = tryPassword(*typed);
        wipeText(*typed);
        if (taken)
            return true;
        MsgBox::show(QStringLiteral("That password does not open \"%1\".").arg(shownName), caption);
    }
}

void setAnswerForTesting(Answer answer)
{
    testAnswer = std::move(answer);
}

} // namespace PasswordPrompt
