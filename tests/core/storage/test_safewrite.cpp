#include "core/storage/safewrite.h"
#include "support/faultinjection.h"
#include "support/tempappdir.h"

#include <QFile>

#include <QBuffer>

namespace {

// A device that takes a limited number of bytes, then fails; it may also
// take them a few at a time, as a pipe or a slow disk does.
class FailingDevice : public QIODevice {
public:
    FailingDevice(qint64 capacity, qint64 chunk)
        : m_capacity(capacity)
        , m_chunk(chunk)
    {
        open(QIODevice::WriteOnly);
    }
    QByteArray received;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        const qint64 room = m_capacity - received.size();
        if (room <= 0)
            return -1;
        const qint64 take = std::min({size, room, m_chunk});
        received.append(data, take);
        return take;
    }

private:
    qint64 m_capacity;
    qint64 m_chunk;
};

TEST(WriteAll, ReportsWhetherEveryByteWasWritten)
{
    struct Case {
        qint64 capacity;
        qint64 chunk;
        bool complete;
    };
    const QByteArray data(1000, 'd');
    const Case cases[] = {{1000, 1000, true}, {1000, 7, true}, {999, 1000, false}, {0, 10, false}, {500, 3, false}};
    for (const auto& c : cases) {
        FailingDevice device(c.capacity, c.chunk);
        EXPECT_EQ(SafeWrite::writeAll(device, data), c.complete) << c.capacity << "/" << c.chunk;
        EXPECT_EQ(device.received, data.left(c.capacity));
    }
}

class ReplaceFileTest : public TempAppDirTest { };

TEST_F(ReplaceFileTest, ReplacesWholeWithNoStaleBytes)
{
    writeFile("kxplst.ene", QByteArray(500, 'o'));
    ASSERT_TRUE(SafeWrite::replaceFile(path("kxplst.ene"), "short"));
    EXPECT_EQ(readFile("kxplst.ene"), QByteArray("short"));
}

TEST_F(ReplaceFileTest, ShortWriteKeepsTheOldFileAndNamesTheFault)
{
    writeFile("kxplst.ene", "the last good list");
    // As on a full disk: the system takes fewer bytes than offered.
    SafeWrite::setWriteBudgetForTesting(10);
    const StorageResult result = SafeWrite::replaceFile(path("kxplst.ene"), QByteArray(1000, 'n'));
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.contains("kxplst.ene")) << qPrintable(result.error);
    EXPECT_EQ(readFile("kxplst.ene"), QByteArray("the last good list"));
    EXPECT_EQ(files(), QStringList {"kxplst.ene"}) << "no temporary file is left";
}

TEST_F(ReplaceFileTest, UnwritableFolderIsAFaultNamingTheFile)
{
    const StorageResult result = SafeWrite::replaceFile(path("no-such-folder/kxplst.ene"), "x");
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.contains("kxplst.ene")) << qPrintable(result.error);
}

TEST_F(ReplaceFileTest, EveryStepIsNamedAndEndsWithAFolderSync)
{
    writeFile("kxplst.ene", "old");
    const QStringList steps = FaultInjection::stepsOf([&] { SafeWrite::replaceFile(path("kxplst.ene"), "new"); });
    EXPECT_EQ(steps, (QStringList {"write kxplst.ene", "rename kxplst.ene", "sync " + dir.path()}));
    EXPECT_EQ(FaultInjection::stepsOf([&] { SafeWrite::removeFile(path("kxplst.ene")); }),
              (QStringList {"remove kxplst.ene", "sync " + dir.path()}));
}

TEST_F(ReplaceFileTest, AFailureAtAnyStepLeavesTheOldFileOrTheNewOne)
{
    const int steps = FaultInjection::failAtEachStep(
        [&] { writeFile("kxplst.ene", "the last good list"); },
        [&] {
            const StorageResult result = SafeWrite::replaceFile(path("kxplst.ene"), "the new list");
            EXPECT_EQ(result.ok, !SafeWrite::failingStepFiredForTesting());
            if (!result.ok) {
                EXPECT_TRUE(result.error.contains(dir.path())) << qPrintable(result.error);
            }
        },
        [&](const FaultInjection::Attempt& run) {
            // Only the sync comes after the rename: the new file is then in place.
            const QByteArray expected = run.faulted && run.step < 3 ? "the last good list" : "the new list";
            EXPECT_EQ(readFile("kxplst.ene"), expected) << run.step;
            EXPECT_EQ(files(), QStringList {"kxplst.ene"}) << "no temporary file is left";
        });
    EXPECT_EQ(steps, 3);
}

TEST_F(ReplaceFileTest, NewFilesAreForTheirOwnerOnly)
{
    ASSERT_TRUE(SafeWrite::replaceFile(path("kxpwfl.ene"), "secret"));
    const auto permissions = QFile::permissions(path("kxpwfl.ene"));
    EXPECT_EQ(permissions & 0x7000, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(permissions & 0x0077, 0) << "nothing for the group or others";
}

TEST_F(ReplaceFileTest, ReadOnlyByModeIsNeverChangedEvenByRoot)
{
    writeFile("kxplst.ene", "kept");
    writeFile("other", "x");
    setWritable("kxplst.ene", false);
    for (const auto& result : {SafeWrite::replaceFile(path("kxplst.ene"), "new"),
                               SafeWrite::renameOver(path("other"), path("kxplst.ene"))}) {
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.error.contains("kxplst.ene") && result.error.contains("read-only"))
            << qPrintable(result.error);
    }
    EXPECT_EQ(readFile("kxplst.ene"), QByteArray("kept"));
    EXPECT_EQ(QFile::permissions(path("kxplst.ene")) & 0x7000, QFileDevice::ReadOwner) << "the mode stays";

    setWritable("kxplst.ene", true);
    setWritable({}, false);
    for (const auto& result : {SafeWrite::replaceFile(path("new.ene"), "new"), SafeWrite::removeFile(path("other")),
                               SafeWrite::replaceFile(path("kxplst.ene"), "new")}) {
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.error.contains("read-only")) << qPrintable(result.error);
    }
    setWritable({}, true);
    EXPECT_EQ(files(), (QStringList {"kxplst.ene", "other"}));
    EXPECT_EQ(readFile("kxplst.ene"), QByteArray("kept"));
}

TEST_F(ReplaceFileTest, RenameOverReplacesTheTarget)
{
    writeFile("a", "A");
    writeFile("b", "B");
    ASSERT_TRUE(SafeWrite::renameOver(path("a"), path("b")));
    EXPECT_EQ(files(), QStringList {"b"});
    EXPECT_EQ(readFile("b"), QByteArray("A"));
}

TEST_F(ReplaceFileTest, RenameNeverOverwrites)
{
    writeFile("a", "A");
    writeFile("b", "B");
    EXPECT_FALSE(SafeWrite::renameNoOverwrite(path("a"), path("b")).ok);
    EXPECT_EQ(readFile("b"), QByteArray("B"));
    EXPECT_EQ(readFile("a"), QByteArray("A"));
}

} // namespace
