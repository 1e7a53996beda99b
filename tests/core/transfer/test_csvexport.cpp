#include "core/transfer/csvexport.h"
#include "core/transfer/csvwriter.h"
#include "support/faultinjection.h"
#include "support/tempappdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

const QList<Listing> kExportListings {{"www.a.com", "ann", "pw,1"}, {"b", "bob", "pw\"2"}};
const QByteArray kExportCsv = "site,username,password\r\nwww.a.com,ann,\"pw,1\"\r\nb,bob,\"pw\"\"2\"\r\n";

class CsvExportTest : public TempAppDirTest {
protected:
    QString exportPath() const { return path("export.csv"); }
    QFile::Permissions modeOf(const QString& name) const { return QFile::permissions(path(name)); }
    static constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner;
    // What QFile reports for 0600: the owner's and the user's bits alike.
    static QFile::Permissions onlyOwnerBits(QFile::Permissions p) { return p & ~QFile::Permissions(0x0700); }
};

TEST_F(CsvExportTest, WritesTheListAsCsv)
{
    ASSERT_TRUE(CsvExport::write(exportPath(), kExportListings));
    EXPECT_EQ(readFile("export.csv"), kExportCsv);
    EXPECT_EQ(CsvWriter::write(kExportListings).bytes(), kExportCsv);
    EXPECT_EQ(files(), QStringList {"export.csv"});
}

#ifdef Q_OS_UNIX
// The file is for its owner from the moment it exists: also under a umask
// that lets everyone read, and also over a file others could read.
TEST_F(CsvExportTest, TheFileIsForItsOwnerOnlyFromItsCreation)
{
    struct Case {
        const char* name;
        int existingMode; // -1: no file there before
    };
    const Case cases[] = {{"new", -1}, {"over 0644", 0644}, {"over 0666", 0666}, {"over 0640", 0640}};
    const mode_t previousMask = ::umask(0);
    for (const Case& c : cases) {
        clearFolder();
        if (c.existingMode >= 0) {
            writeFile("export.csv", "old");
            ASSERT_EQ(::chmod(QFile::encodeName(exportPath()).constData(), mode_t(c.existingMode)), 0);
        }
        QStringList modesWhileWritten;
        SafeWrite::setStepHookForTesting([&](SafeWrite::Step step, const QString&) {
            if (step != SafeWrite::Step::Write)
                return;
            // The written copy, not renamed yet, beside the old file.
            for (const QString& name : files()) {
                struct stat info { };
                ASSERT_EQ(::lstat(QFile::encodeName(path(name)).constData(), &info), 0);
                modesWhileWritten.append(name + "=" + QString::number(info.st_mode & 07777, 8));
            }
        });
        const StorageResult written = CsvExport::write(exportPath(), kExportListings);
        SafeWrite::setStepHookForTesting({});
        ASSERT_TRUE(written) << qPrintable(written.error);
        struct stat info { };
        ASSERT_EQ(::stat(QFile::encodeName(exportPath()).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0600u) << c.name;
        ASSERT_EQ(modesWhileWritten.size(), c.existingMode >= 0 ? 2 : 1) << c.name;
        for (const QString& mode : modesWhileWritten) {
            if (!mode.startsWith("export.csv=")) {
                EXPECT_TRUE(mode.endsWith("=600")) << c.name << ": " << qPrintable(mode);
            }
        }
        EXPECT_EQ(readFile("export.csv"), kExportCsv) << c.name;
    }
    ::umask(previousMask);
}

// A link at the chosen path is replaced itself: the file it led to is
// never written.
TEST_F(CsvExportTest, ALinkAtThePathIsReplacedNotFollowed)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("elsewhere"));
    writeFile("elsewhere/kept.txt", "kept");
    for (const QString& target : {path("elsewhere/kept.txt"), path("elsewhere/missing.txt")}) {
        QFile::remove(exportPath());
        ASSERT_TRUE(QFile::link(target, exportPath()));
        ASSERT_TRUE(CsvExport::write(exportPath(), kExportListings));
        EXPECT_FALSE(QFileInfo(exportPath()).isSymLink());
        EXPECT_EQ(readFile("export.csv"), kExportCsv);
        EXPECT_EQ(readFile("elsewhere/kept.txt"), QByteArray("kept"));
        EXPECT_FALSE(QFile::exists(path("elsewhere/missing.txt")));
        EXPECT_EQ(onlyOwnerBits(modeOf("export.csv")), kOwnerOnly);
    }
}
#endif

// A fault at any step leaves the old file or the complete new one, never
// a part, and no copy beside it; the fault names the file.
TEST_F(CsvExportTest, AFaultAtAnyStepLeavesTheOldFileOrNoneAndIsReported)
{
    for (const bool oldFileThere : {true, false}) {
        const int steps = FaultInjection::failAtEachStep(
            [&] {
                clearFolder();
                if (oldFileThere)
                    writeFile("export.csv", "the old export");
            },
            [&] {
                const StorageResult result = CsvExport::write(exportPath(), kExportListings);
                EXPECT_EQ(result.ok, !SafeWrite::failingStepFiredForTesting());
                if (!result.ok) {
                    // Once the file is in place only its folder's sync can fail.
                    const QString named = result.inPlace ? dir.path() : exportPath();
                    EXPECT_TRUE(result.error.contains(QDir::toNativeSeparators(named))) << qPrintable(result.error);
                }
            },
            [&](const FaultInjection::Attempt& run) {
                // Only the folder's sync comes after the rename.
                const bool replaced = !run.faulted || run.step == 3;
                if (replaced) {
                    EXPECT_EQ(readFile("export.csv"), kExportCsv) << run.step;
                    EXPECT_EQ(files(), QStringList {"export.csv"}) << run.step;
                } else if (oldFileThere) {
                    EXPECT_EQ(readFile("export.csv"), QByteArray("the old export")) << run.step;
                    EXPECT_EQ(files(), QStringList {"export.csv"}) << "no copy left beside it, step " << run.step;
                } else {
                    EXPECT_EQ(files(), QStringList {}) << "nothing left, step " << run.step;
                }
            });
        EXPECT_EQ(steps, 3);
    }
}

TEST_F(CsvExportTest, AShortWriteLeavesNothingAndSaysSo)
{
    for (const bool oldFileThere : {true, false}) {
        clearFolder();
        if (oldFileThere)
            writeFile("export.csv", "the old export");
        // As on a full disk: the system takes fewer bytes than offered.
        SafeWrite::setWriteBudgetForTesting(10);
        const StorageResult result = CsvExport::write(exportPath(), kExportListings);
        SafeWrite::setWriteBudgetForTesting(-1);
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.error.contains("export.csv") && result.error.contains("not every byte"))
            << qPrintable(result.error);
        EXPECT_EQ(files(), oldFileThere ? QStringList {"export.csv"} : QStringList {});
        if (oldFileThere) {
            EXPECT_EQ(readFile("export.csv"), QByteArray("the old export"));
        }
    }
}

TEST_F(CsvExportTest, AReadOnlyFileOrFolderIsNeverWritten)
{
    writeFile("export.csv", "kept");
    setWritable("export.csv", false);
    StorageResult result = CsvExport::write(exportPath(), kExportListings);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.contains("read-only")) << qPrintable(result.error);
    setWritable("export.csv", true);
    setWritable({}, false);
    result = CsvExport::write(path("new.csv"), kExportListings);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.contains("new.csv")) << qPrintable(result.error);
    setWritable({}, true);
    EXPECT_EQ(files(), QStringList {"export.csv"});
    EXPECT_EQ(readFile("export.csv"), QByteArray("kept"));
}

// The program's own folders: the data folder, the folders its data files'
// links lead to, and anything inside them, also reached through links.
TEST_F(CsvExportTest, TheProgramsOwnFoldersAreTold)
{
    QTemporaryDir outside;
    ASSERT_TRUE(outside.isValid());
    const QDir out(outside.path());
    ASSERT_TRUE(out.mkpath("sync"));
    ASSERT_TRUE(out.mkpath("mine"));
    ASSERT_TRUE(QDir(dir.path()).mkpath("sub"));
    // The list lives in a synced folder, the data folder holds a link to it.
    QFile synced(out.filePath("sync/kxplst.vault"));
    ASSERT_TRUE(synced.open(QIODevice::WriteOnly));
    synced.close();
    ASSERT_TRUE(QFile::link(out.filePath("sync/kxplst.vault"), path("kxplst.vault")));
    ASSERT_TRUE(QFile::link(dir.path(), out.filePath("to-data")));
    ASSERT_TRUE(QFile::link(out.filePath("sync"), out.filePath("to-sync")));
    ASSERT_TRUE(QFile::link(path("kxplst.ene"), out.filePath("mine/list-link.csv")));
    ASSERT_TRUE(QFile::link(out.filePath("mine"), path("sub/to-mine")));
    restartFolder();

    const QString data = QDir::toNativeSeparators(QDir::cleanPath(dir.path()));
    const QString sync = QDir::toNativeSeparators(QDir::cleanPath(out.filePath("sync")));
    struct Case {
        QString path;
        QString own; // empty: not one of the program's folders
    };
    const Case cases[] = {
        {path("export.csv"), data},
        {path("sub/export.csv"), data},
        {path("sub/../export.csv"), data},
        {out.filePath("to-data/export.csv"), data},
        {out.filePath("sync/export.csv"), sync},
        {out.filePath("to-sync/export.csv"), sync},
        {out.filePath("mine/list-link.csv"), data},
        {out.filePath("mine/export.csv"), {}},
        {out.filePath("export.csv"), {}},
        {dir.path() + "-other/export.csv", {}},
        // A folder of the user's own, reached through a link in the data
        // folder, is still where the file goes.
        {path("sub/to-mine/export.csv"), {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CsvExport::ownFolderHolding(folder(), c.path), c.own) << qPrintable(c.path);
}

} // namespace
