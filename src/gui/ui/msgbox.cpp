#include "gui/ui/msgbox.h"

#include "gui/ui/formsupport.h"

#include <QMessageBox>

namespace MsgBox {
namespace {
Observer observer;
bool testAnswer = false;

QMessageBox::StandardButton exec(const QString& text, const QString& caption, QMessageBox::StandardButtons buttons,
                                 QMessageBox::StandardButton defaultButton)
{
    QString shown = text;
    // Not every style breaks lines at a lone carriage return.
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(QMessageBox::NoIcon, caption, shown, buttons);
    box.setDefaultButton(defaultButton);
    box.setTextFormat(Qt::PlainText);
    box.setWindowIcon(Forms::appIcon());
    return QMessageBox::StandardButton(box.exec());
}

} // namespace

void setObserverForTesting(Observer newObserver)
{
    observer = std::move(newObserver);
    testAnswer = false;
}
void setAnswerForTesting(bool yes) { testAnswer = yes; }

void show(const QString& text, const QString& caption)
{
    if (observer) {
        observer(text, caption);
        return;
    }
    exec(text, caption, QMessageBox::Ok, QMessageBox::Ok);
}

bool ask(const QString& text, const QString& caption)
{
    if (observer) {
        observer(text, caption);
        return testAnswer;
    }
    return exec(text, caption, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

} // namespace MsgBox
