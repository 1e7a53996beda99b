#include "ui/msgbox.h"

#include "ui/formsupport.h"

#include <QMessageBox>

namespace MsgBox {
namespace {
Observer observer;
}

void setObserverForTesting(Observer newObserver) { observer = std::move(newObserver); }

void show(const QString& text, const QString& caption)
{
    if (observer) {
        observer(text, caption);
        return;
    }
    QString shown = text;
    // Not every style breaks lines at a lone carriage return.
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(QMessageBox::NoIcon, caption, shown, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.setWindowIcon(Forms::appIcon());
    box.exec();
}

} // namespace MsgBox
