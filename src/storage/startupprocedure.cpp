#include "storage/startupprocedure.h"

#include "listings/frm_list.h"
#include "masterpassword/frm_new.h"
#include "masterpassword/frm_password.h"
#include "storage/instancelock.h"
#include "storage/module1.h"
#include "storage/startup.h"
#include "ui/fault.h"
#include "ui/formsupport.h"
#include "ui/msgbox.h"
#include "ui/termination.h"

#include <QCoreApplication>

bool RunStartup(const QString& appDir, InstanceLock& lock)
{
    Module1::SetAppDir(appDir);
    // Before anything is read or put in order: a second copy must touch
    // nothing. Without a lock (a read-only folder) the program goes on.
    if (lock.acquire(Module1::Folder.lockFilePath) == InstanceLock::Outcome::HeldElsewhere) {
        MsgBox::show(QStringLiteral("The password list is already open in another Vellamar window."),
                     QStringLiteral("Vellamar"));
        return false;
    }

    installEndOfSessionHandler(
        [] {
            if (frm_list* list = frm_list::instance())
                list->saveForShutdown();
            QCoreApplication::exit(0);
        },
        [] {
            // The session manager ends the program itself if the logout goes on.
            if (frm_list* list = frm_list::instance())
                list->saveNow();
        });

    Startup::prepareFolder(Module1::Folder);
    Startup::Path path = Startup::Path::Unlock;
    if (auto decided = Startup::decide(Module1::Folder, &path); !decided) {
        Fault::stop(decided.error);
        return false;
    }
    if (path == Startup::Path::Unlock)
        Forms::showCentred(new frm_password);
    else
        Forms::showCentred(new frm_new);
    return true;
}
