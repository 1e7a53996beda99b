#include "app/startupprocedure.h"

#include "app/termination.h"
#include "core/storage/instancelock.h"
#include "core/storage/module1.h"
#include "core/storage/startup.h"
#include "gui/listings/frm_list.h"
#include "gui/masterpassword/frm_new.h"
#include "gui/masterpassword/frm_password.h"
#include "gui/ui/fault.h"
#include "gui/ui/clipboardguard.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/msgbox.h"

#include <QCoreApplication>

bool RunStartup(const QString& appDir, InstanceLock& lock, ClipboardGuard& clipboard)
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
            // aboutToQuit, below, takes a copied secret off the clipboard.
            QCoreApplication::exit(0);
        },
        [&clipboard] {
            // The session manager ends the program itself if the logout goes on.
            if (frm_list* list = frm_list::instance())
                list->saveNow();
            clipboard.clearIfStillOurs();
        });
    // However the program ends, a copied secret goes with it.
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &clipboard,
                     [&clipboard] { clipboard.clearIfStillOurs(); });

    QStringList notes;
    Startup::prepareFolder(Module1::Folder, &notes);
    Startup::Path path = Startup::Path::Unlock;
    if (auto decided = Startup::decide(Module1::Folder, &path); !decided) {
        Fault::stop(decided.error);
        return false;
    }
    auto openList = [&clipboard] { return frm_list::open(&clipboard) != nullptr; };
    if (path == Startup::Path::Unlock)
        Forms::showCentred(new frm_password(openList, notes));
    else
        Forms::showCentred(new frm_new(openList));
    return true;
}
