// What stands where the lock file belongs decides whether the start asks:
// a live copy on this machine refuses, a killed one's lock is taken over
// without a word, and anything else is shown to the user, who may open the
// list anyway.
#include "app/appfixture.h"
#include "app/startupprocedure.h"
#include "core/storage/instancelock.h"
#include "gui/ui/msgbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QCoreApplication>
#include <QLockFile>
#include <QSysInfo>

#include <functional>

namespace {

class OddLockTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        writeCiphered("kxinit.ene", "VELLA1nty-V1.0.1-NEWSETUP", "hmut58qkze");
        writeCiphered("kxpwfl.ene", "Mk1", "sx8peu3");
    }

    QString lockPath() const { return path("vellamar.lock"); }

    // The lock file names this process on this machine.
    void expectOwnLock() const
    {
        const QFileInfo info(lockPath());
        EXPECT_TRUE(info.isFile() && !info.isSymLink());
        qint64 pid = 0;
        QString host;
        QString app;
        ASSERT_TRUE(QLockFile(lockPath()).getLockInfo(&pid, &host, &app));
        EXPECT_EQ(pid, QCoreApplication::applicationPid());
        EXPECT_EQ(host, QSysInfo::machineHostName());
        EXPECT_EQ(QFile::permissions(lockPath()) & QFile::Permissions(0x7077), QFile::ReadOwner | QFile::WriteOwner)
            << "0600";
    }

    void age(const QString& name, qint64 seconds) const
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(
            file.setFileTime(QDateTime::currentDateTime().addSecs(-seconds), QFileDevice::FileModificationTime));
    }

    InstanceLock lock;
};

// What stood there, as a description of the file's kind and bytes.
QString state(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return "link to " + info.symLinkTarget();
    if (info.isDir())
        return "folder of " + QDir(path).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).join(',');
    QFile file(path);
    if (!info.exists() || !file.open(QIODevice::ReadOnly))
        return info.exists() ? "unreadable" : "nothing";
    return "file " + QString::fromLatin1(file.readAll().toHex());
}

TEST_F(OddLockTest, OddLocksAskAndYesTakesThemOver)
{
    const struct {
        const char* name;
        std::function<void()> make;
        MsgBox::Default expectedDefault;
        const char* expectedInText;
        bool lockAfterYes; // false: none can be made, the program goes on without
    } cases[] = {
        {"empty", [this] { writeFile("vellamar.lock", {}); }, MsgBox::Default::Yes, "an empty file", true},
        {"garbage", [this] { writeFile("vellamar.lock", "hello\x01\x02"); }, MsgBox::Default::Yes,
         "no lock Vellamar writes", true},
        {"unreadable garbage",
         [this] {
             writeFile("vellamar.lock", "x");
             QFile::setPermissions(lockPath(), {});
         },
         MsgBox::Default::Yes, "vellamar.lock", true},
        {"empty folder", [this] { QDir(dir.path()).mkdir("vellamar.lock"); }, MsgBox::Default::Yes, "a folder", true},
        {"folder with a file",
         [this] {
             QDir(dir.path()).mkdir("vellamar.lock");
             writeFile("vellamar.lock/mine", "keep");
         },
         MsgBox::Default::Yes, "a folder", false},
        {"dangling link", [this] { QFile::link(path("gone/vellamar.lock"), lockPath()); }, MsgBox::Default::Yes,
         "cannot be reached", true},
        {"link to a file",
         [this] {
             writeFile("elsewhere", "999999\nvellamar\n" + QSysInfo::machineHostName().toUtf8() + "\n");
             QFile::link(path("elsewhere"), lockPath());
         },
         MsgBox::Default::Yes, "a link to", true},
        {"names no host", [this] { writeFile("vellamar.lock", "4242\nvellamar\n\n"); }, MsgBox::Default::Yes,
         "Computer: none named", true},
    };
    for (const auto& c : cases) {
        for (const bool yes : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (yes ? ", Yes" : ", No"));
            if (QFileInfo(lockPath()).isDir())
                QDir(lockPath()).removeRecursively();
            QFile::remove(lockPath());
            QFile::remove(path("elsewhere"));
            c.make();
            const QString before = state(lockPath());
            const QString elsewhere = state(path("elsewhere"));
            messages.clear();
            MsgBox::setAnswerForTesting(yes);
            const bool started = start(lock);
            ASSERT_EQ(messages.size(), 1);
            EXPECT_TRUE(messages[0].text.contains(c.expectedInText)) << qPrintable(messages[0].text);
            EXPECT_TRUE(messages[0].text.contains("vellamar.lock")) << qPrintable(messages[0].text);
            EXPECT_EQ(messages[0].caption, QStringLiteral("Vellamar"));
            EXPECT_EQ(MsgBox::lastDefaultForTesting(), c.expectedDefault);
            EXPECT_EQ(started, yes);
            EXPECT_EQ(findWindow("frm_password") != nullptr, yes);
            EXPECT_EQ(state(path("elsewhere")), elsewhere) << "a link's target is never touched";
            if (!yes) {
                EXPECT_FALSE(lock.isHeld());
                EXPECT_EQ(state(lockPath()), before) << "No leaves it as found";
            } else if (c.lockAfterYes) {
                EXPECT_TRUE(lock.isHeld());
                expectOwnLock();
            } else {
                EXPECT_FALSE(lock.isHeld());
                EXPECT_EQ(state(lockPath()), before);
            }
            delete findWindow("frm_password");
            lock.release();
            uninstallEndOfSessionHandler();
        }
    }
}

// A lock another computer wrote came with a synced folder: every save merges
// that computer's version, so the start goes on without asking.
TEST_F(OddLockTest, AnotherComputersLockIsTakenOverWithoutAsking)
{
    for (const int ageSeconds : {0, 3 * 24 * 3600}) {
        SCOPED_TRACE(ageSeconds);
        writeFile("vellamar.lock", "4242\nvellamar\nsomewhere-else.example\n");
        age("vellamar.lock", ageSeconds);
        messages.clear();
        ASSERT_TRUE(start(lock));
        EXPECT_TRUE(messages.isEmpty());
        EXPECT_TRUE(lock.isHeld());
        expectOwnLock();
        EXPECT_NE(findWindow("frm_password"), nullptr);
        delete findWindow("frm_password");
        lock.release();
        uninstallEndOfSessionHandler();
    }
}

TEST_F(OddLockTest, LocksOfThisMachineAskNothing)
{
    // A killed copy's lock is taken over; a live copy's refuses, as ever.
    writeFile("vellamar.lock", "999999\nvellamar\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    ASSERT_TRUE(start(lock));
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(lock.isHeld());
    expectOwnLock();
    delete findWindow("frm_password");
    lock.release();
    uninstallEndOfSessionHandler();

    QLockFile live(lockPath());
    ASSERT_TRUE(live.tryLock(0));
    const QString before = state(lockPath());
    EXPECT_FALSE(start(lock));
    EXPECT_EQ(messages,
              (QList<Message> {{"The password list is already open in another Vellamar window.", "Vellamar"}}));
    EXPECT_EQ(findWindow("frm_password"), nullptr);
    EXPECT_EQ(state(lockPath()), before);
}

} // namespace
