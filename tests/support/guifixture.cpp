#include "support/guifixture.h"

#include "gui/launch/opendocument.h"
#include "gui/listings/frm_list.h"
#include "gui/masterpassword/frm_password.h"
#include "gui/ui/fault.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/msgbox.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

void GuiTest::SetUp()
{
    TempAppDirTest::SetUp();
    MsgBox::setObserverForTesting([this](const QString& text, const QString& caption) {
        messages.append({text, caption});
    });
    Fault::setHandlerForTesting([this](const QString& message) {
        faults.append(message);
        throw FaultStopped {message};
    });
    restartSession();
    setOpenDocumentHandlerForTesting([this](const QString& path) {
        handedOver.append(path);
        return 42;
    });
}

void GuiTest::TearDown()
{
    // Delete without closing: a close would save and say goodbye.
    QList<QPointer<QWidget>> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->parentWidget())
            windows.append(widget);
    }
    for (const auto& widget : windows)
        delete widget.data();
    settle();
    session.forget();
    MsgBox::setObserverForTesting({});
    Fault::setHandlerForTesting({});
    Fault::setLastStep({});
    setOpenDocumentHandlerForTesting({});
    TempAppDirTest::TearDown();
}

QWidget* GuiTest::findWindow(const char* objectName) const
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String(objectName) && widget->isVisible())
            return widget;
    }
    return nullptr;
}

int GuiTest::openWindowCount(const char* objectName) const
{
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        count += widget->objectName() == QLatin1String(objectName) && widget->isVisible();
    return count;
}

bool GuiTest::openListWindow()
{
    return frm_list::open(session) != nullptr;
}

frm_list* GuiTest::unlockWith(const QString& entry)
{
    QPointer<frm_password> unlock = new frm_password(session, listOpener());
    Forms::showCentred(unlock);
    unlock->txt_password->setText(entry);
    unlock->Command1->click();
    settle();
    frm_list* list = frm_list::instance();
    if (!list)
        delete unlock.data();
    return list;
}

void GuiTest::restartSession(const QString& password)
{
    session.setFolder(folder());
    if (!password.isEmpty())
        session.useKeyForTesting(password);
}

void GuiTest::settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}
