#include "storage/safewrite.h"
#include "support/tempappdir.h"

#include <QBuffer>

namespace {

// A device that takes a limited number of bytes, then fails; it may also
// take them a few at a time, as a pipe or a slow disk does.
class FailingDevice : public QIODevice {
public:
    FailingDevice(qint64 capacity, qint64 chunk) : m_capacity(capacity), m_chunk(chunk)
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

class ReplaceFileTest : public TempAppDirTest {};

TEST_F(ReplaceFileTest, ReplacesWholeWithNoStaleBytes)
{
    writeFile("kxplst.ene", QByteArray(500, 'o'));
    ASSERT_TRUE(SafeWrite::replaceFile(path("kxplst.ene"), "short"));
    EXPECT_EQ(readFile("kxplst.ene"), QByteArray("short"));
}

TEST_F(ReplaceFileTest, ShortWriteKeepsTheOldFileAndNamesTheFault)
{
    writeFile("kxplst.ene", "the last good list");
    SafeWrite::setWriteBudgetForTesting(10);
    const StorageResult result = SafeWrite::replaceFile(path("kxplst.ene"), QByteArray(1000, 'n'));
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.contains("kxplst.ene")) << qPrintable(result.error);
    EXPECT_EQ(readFile("kxplst.ene"), QByteArray("the last good list"));
    EXPECT_EQ(files(), QStringList{"kxplst.ene"}) << "no temporary file is left";
}

TEST_F(ReplaceFileTest, UnwritableFolderIsAFaultNamingTheFile)
{
    const StorageResult result = SafeWrite::replaceFile(path("no-such-folder/kxplst.ene"), "x");
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.contains("kxplst.ene")) << qPrintable(result.error);
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
