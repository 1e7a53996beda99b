#include "app/appfixture.h"
#include "app/startupprocedure.h"
#include "core/storage/instancelock.h"
#include "core/storage/module1.h"

namespace {

class StartupProcedureTest : public AppTest {};

TEST_F(StartupProcedureTest, OpensTheOneDialogThatFits)
{
    const struct {
        QByteArray record;
        QByteArray password; // empty: no password file
        const char* dialog;
    } cases[] = {
        {"VELLA1TKY-V1.0.1-NEWSETUP", "", "frm_new"},
        {"VELLA1nty-V1.0.1-NEWSETUP", "", "frm_new"},
        {"VELLA1nty-V1.0.1-NEWSETUP", "abc", "frm_password"},
        {"VELLA1TKY-V1.0.1-NEWSETUP", "abc", "frm_new"},
    };
    for (const auto& c : cases) {
        for (const QString& name : files())
            QFile::remove(path(name));
        writeCiphered("kxinit.ene", c.record, "hmut58qkze");
        if (!c.password.isEmpty())
            writeCiphered("kxpwfl.ene", c.password, "sx8peu3");
        InstanceLock lock;
        EXPECT_TRUE(RunStartup(dir.path(), lock, clipboard));
        EXPECT_TRUE(lock.isHeld());
        EXPECT_EQ(Module1::AppDir, dir.path() + "/");
        EXPECT_NE(findWindow(c.dialog), nullptr) << c.dialog;
        EXPECT_EQ(openWindowCount("frm_new") + openWindowCount("frm_password"), 1);
        EXPECT_FALSE(exists("kxinit.end"));
        EXPECT_TRUE(faults.isEmpty());
        for (QWidget* window : {findWindow("frm_new"), findWindow("frm_password")})
            delete window;
    }
}

} // namespace
