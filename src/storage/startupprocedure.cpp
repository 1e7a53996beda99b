#include "storage/startupprocedure.h"

#include "listings/frm_list.h"
#include "masterpassword/frm_new.h"
#include "masterpassword/frm_password.h"
#include "storage/module1.h"
#include "storage/startup.h"
#include "ui/fault.h"
#include "ui/formsupport.h"
#include "ui/termination.h"

#include <QCoreApplication>

void RunStartup(const QString& appDir)
{
    Module1::SetAppDir(appDir);

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

    Startup::Path path = Startup::Path::Unlock;
    if (auto decided = Startup::decide(&path); !decided) {
        Fault::stop(decided.error);
        return;
    }
    if (path == Startup::Path::Unlock)
        Forms::showCentred(new frm_password);
    else
        Forms::showCentred(new frm_new);
}
