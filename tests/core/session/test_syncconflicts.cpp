#include "core/session/syncconflicts.h"
#include "support/tempappdir.h"

namespace {

TEST(SyncConflicts, TellsConflictCopiesFromTheProgramsOwnFiles)
{
    const struct {
        const char* name;
        bool conflict;
    } cases[] = {
        {"kxplst.sync-conflict-20261210-101500-ABCDEFG.vault", true},
        {"kxplst.sync-conflict-20261210-101500-ABCDEFG.ene", true},
        {"kxplst (conflicted copy 2026-12-10 101500).vault", true},
        {"kxplst (Anna's conflicted copy 2026-12-10).ene", true},
        {"KXPLST (Conflicted Copy).VAULT", true},
        {"kxplst-conflict-20261210-101500.vault", true},
        {"kxplst.vault", false},
        {"kxplst.ene", false},
        {"kxplst.end", false},
        {"kxplst-backup-20261210-101500.vault", false},
        {"kxplst-backup-20261210-101500.ene", false},
        {"kxplst-pending.ene", false},
        {"kxpwfl.sync-conflict-20261210-101500-ABCDEFG.ene", false},
        {"kxplst.sync-conflict-20261210-101500-ABCDEFG.vault.tmp", false},
        {"notes.vault", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SyncConflicts::isConflictCopy(QString::fromUtf8(c.name)), c.conflict) << c.name;
}

class SyncConflictsFolder : public TempAppDirTest { };

TEST_F(SyncConflictsFolder, FindsThemSortedAndReadsAPasswordFileThatGoesWithOne)
{
    for (const char* name : {"kxplst.vault", "kxplst (conflicted copy).ene", "kxplst.sync-conflict-1-A.vault",
                             "kxplst-backup-20261210-101500.vault"})
        writeFile(name, "x");
    const QStringList found = SyncConflicts::find(folder());
    EXPECT_EQ(found, (QStringList {path("kxplst (conflicted copy).ene"), path("kxplst.sync-conflict-1-A.vault")}));

    EXPECT_EQ(SyncConflicts::companionPassword(folder(), path("kxplst (conflicted copy).ene")), std::nullopt);
    writeCiphered("kxpwfl (conflicted copy).ene", QByteArray("Other2").leftJustified(25, ' '), "sx8peu3");
    EXPECT_EQ(SyncConflicts::companionPassword(folder(), path("kxplst (conflicted copy).ene")), QString("Other2"));
}

} // namespace
