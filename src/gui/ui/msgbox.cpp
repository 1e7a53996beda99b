#include "gui/ui/msgbox.h"

#include "gui/ui/formsupport.h"

#include <QList>
#include <QMessageBox>
#include <QPointer>

namespace MsgBox {
namespace {
Observer observer;
bool testAnswer = false;
Default lastDefault = Default::No;
// The boxes now waiting for an answer, innermost last.
QList<QPointer<QMessageBox>> openBoxes;

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
    openBoxes.append(&box);
    const int answer = box.exec();
    openBoxes.removeAll(&box);
    return QMessageBox::StandardButton(answer);
}

} // namespace

void setObserverForTesting(Observer newObserver)
{
    observer = std::move(newObserver);
    testAnswer = false;
}
void setAnswerForTesting(bool yes)
{
    testAnswer = yes;
}
Default lastDefaultForTesting()
{
    return lastDefault;
}

bool closeOpenBoxes()
{
    bool closed = false;
    // Innermost first: an outer box only returns once the inner one has.
    for (qsizetype i = openBoxes.size() - 1; i >= 0; --i) {
        if (QMessageBox* box = openBoxes.at(i)) {
            // Rejected: the caller of show() goes on as after OK, ask()
            // answers No.
            box->reject();
            closed = true;
        }
    }
    return closed;
}

int openBoxCount()
{
    return int(openBoxes.size());
}

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
    return ask(text, caption, Default::No);
}

bool ask(const QString& text, const QString& caption, Default defaultAnswer)
{
    lastDefault = defaultAnswer;
    if (observer) {
        observer(text, caption);
        return testAnswer;
    }
    return exec(text, caption, QMessageBox::Yes | QMessageBox::No,
                defaultAnswer == Default::Yes ? QMessageBox::Yes : QMessageBox::No)
           == QMessageBox::Yes;
}

} // namespace MsgBox
