#include "core/storage/instancelock.h"
#include "support/tempappdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

class InstanceLockTest : public TempAppDirTest {
protected:
    QString lockPath() const { return path("vellamar.lock"); }
    InstanceLock lock;
};

TEST_F(InstanceLockTest, ANewLockIsTheOwnersAlone)
{
#ifdef Q_OS_UNIX
    // What a usual desktop session sets: new files readable by all.
    const mode_t previous = ::umask(022);
    const InstanceLock::Outcome outcome = lock.acquire(lockPath());
    ::umask(previous);
    ASSERT_EQ(outcome, InstanceLock::Outcome::Held);
    struct stat info { };
    ASSERT_EQ(::lstat(QFile::encodeName(lockPath()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
#else
    GTEST_SKIP() << "no file modes";
#endif
}

TEST_F(InstanceLockTest, WhatAnOddLockIsFoundToBe)
{
    const QByteArray here = QSysInfo::machineHostName().toUtf8();
    const struct {
        const char* name;
        QByteArray content; // written as the lock file unless folder or link
        bool folder;
        bool danglingLink;
        InstanceLock::Outcome outcome;
        bool otherHost;
        qint64 pid;
    } cases[] = {
        {"killed copy here", "999999\nvellamar\n" + here + "\n", false, false, InstanceLock::Outcome::Held, false, 0},
        {"empty", "", false, false, InstanceLock::Outcome::Odd, false, 0},
        {"garbage", "not a lock", false, false, InstanceLock::Outcome::Odd, false, 0},
        {"other host", "77\nvellamar\nfar.example\n", false, false, InstanceLock::Outcome::Odd, true, 77},
        {"folder", "", true, false, InstanceLock::Outcome::Odd, false, 0},
        {"dangling link", "", false, true, InstanceLock::Outcome::Odd, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        lock.release();
        QDir(lockPath()).removeRecursively();
        QFile::remove(lockPath());
        if (c.folder)
            ASSERT_TRUE(QDir(dir.path()).mkdir("vellamar.lock"));
        else if (c.danglingLink)
            ASSERT_TRUE(QFile::link(path("nowhere/x"), lockPath()));
        else
            writeFile("vellamar.lock", c.content);
        EXPECT_EQ(lock.acquire(lockPath()), c.outcome);
        if (c.outcome != InstanceLock::Outcome::Odd)
            continue;
        EXPECT_FALSE(lock.isHeld());
        EXPECT_FALSE(lock.found().what.isEmpty());
        EXPECT_EQ(lock.found().otherHost, c.otherHost);
        EXPECT_EQ(lock.found().pid, c.pid);
        EXPECT_EQ(lock.found().modified.has_value(), !c.danglingLink);
        // Taken over, it is a lock of this copy, and a link's target stays
        // unmade.
        EXPECT_EQ(lock.takeOver(lockPath()), InstanceLock::Outcome::Held);
        EXPECT_TRUE(lock.isHeld());
        EXPECT_FALSE(QFileInfo(lockPath()).isSymLink());
        EXPECT_FALSE(QFileInfo::exists(path("nowhere")));
        qint64 pid = 0;
        QString host;
        QString app;
        EXPECT_TRUE(QLockFile(lockPath()).getLockInfo(&pid, &host, &app));
        EXPECT_EQ(host, QSysInfo::machineHostName());
    }
}

TEST_F(InstanceLockTest, ALiveCopyHereKeepsItsLock)
{
    QLockFile live(lockPath());
    ASSERT_TRUE(live.tryLock(0));
    EXPECT_EQ(lock.acquire(lockPath()), InstanceLock::Outcome::HeldElsewhere);
    EXPECT_FALSE(lock.isHeld());
}

} // namespace
