#include "core/options/optionsstore.h"
#include "core/storage/safewrite.h"
#include "support/tempappdir.h"

#include <QFile>

// Readable failures: found by argument-dependent lookup, so beside Options.
void PrintTo(const Options& o, std::ostream* out);
void PrintTo(const Options& o, std::ostream* out)
{
    *out << "{clipboard " << o.clipboardSeconds << "s, idle " << o.idleMinutes << "min, screen lock "
         << o.lockOnScreenLock << ", show " << o.showPasswords << ", size " << o.listSize.width() << "x"
         << o.listSize.height() << ", generator " << o.generator.length << (o.generator.lower ? "a" : "")
         << (o.generator.upper ? "A" : "") << (o.generator.digits ? "9" : "") << (o.generator.symbols ? "!" : "")
         << (o.generator.avoidLookAlikes ? " no look-alikes" : "") << "}";
}

namespace {

Options changed(int clipboard, int idle, bool show, QSize size = {})
{
    Options options;
    options.clipboardSeconds = clipboard;
    options.idleMinutes = idle;
    options.showPasswords = show;
    options.listSize = size;
    return options;
}

Options screenLock(bool on, int idle = 0)
{
    Options options;
    options.lockOnScreenLock = on;
    options.idleMinutes = idle;
    return options;
}

Options generating(int length, bool lower, bool upper, bool digits, bool symbols, bool avoidLookAlikes)
{
    Options options;
    options.generator = {length, lower, upper, digits, symbols, avoidLookAlikes};
    return options;
}

TEST(OptionsFormat, DefaultsWhenEmpty)
{
    const Options options = OptionsFormat::parse("");
    EXPECT_EQ(options.clipboardSeconds, 10);
    EXPECT_EQ(options.idleMinutes, 0);
    EXPECT_TRUE(options.showPasswords);
    EXPECT_TRUE(options.lockOnScreenLock);
    EXPECT_FALSE(options.listSize.isValid());
}

// Files of the default settings stay as they were before the screen lock
// was watched; turning it off is written.
TEST(OptionsFormat, ScreenLockIsWrittenOnlyWhenOff)
{
    EXPECT_FALSE(OptionsFormat::serialise(Options {}).contains("LockOnScreenLock"));
    EXPECT_TRUE(OptionsFormat::serialise(screenLock(false)).contains("\nLockOnScreenLock=false\n"));
}

// A file of the default settings stays as files were before the generator.
TEST(OptionsFormat, DefaultGeneratorSettingsAreNotWritten)
{
    EXPECT_FALSE(OptionsFormat::serialise(Options {}).contains("[Generator]"));
    EXPECT_TRUE(OptionsFormat::serialise(generating(0, true, true, true, true, true)).contains("[Generator]"));
}

TEST(OptionsFormat, RoundTrips)
{
    const Options cases[] = {
        Options {},
        changed(0, 0, false),
        changed(86400, 1440, true, {9000, 6000}),
        changed(3, 7, false, {5535, 3090}),
        generating(128, false, true, false, true, true),
        generating(1, true, false, false, false, false),
        generating(0, false, false, false, false, false), // nothing chosen is kept as such
        screenLock(false),
        screenLock(false, 1440),
    };
    for (const Options& options : cases)
        EXPECT_EQ(OptionsFormat::parse(OptionsFormat::serialise(options)), options);
}

// Each line of a damaged or hand-edited file counts on its own: a bad value
// keeps its default, the good ones count.
TEST(OptionsFormat, ValuesOutOfRangeCountAsMissing)
{
    const struct {
        QByteArray text;
        Options expected;
    } cases[] = {
        {"[Options]\nClipboardClearSeconds=30\nIdleLockMinutes=5\nShowPasswords=false\n", changed(30, 5, false)},
        {"[options]\r\n clipboardclearseconds = 0 \r\nidlelockminutes=1440\r\n", changed(0, 1440, true)},
        {"[Options]\nClipboardClearSeconds=-5\nIdleLockMinutes=-1\n", changed(10, 0, true)},
        {"[Options]\nClipboardClearSeconds=86401\nIdleLockMinutes=1441\n", changed(10, 0, true)},
        {"[Options]\nClipboardClearSeconds=ten\nIdleLockMinutes=5m\nShowPasswords=maybe\n", changed(10, 0, true)},
        {"[Options]\nClipboardClearSeconds=1e3\nIdleLockMinutes=0x10\n", changed(10, 0, true)},
        {"[Options]\nClipboardClearSeconds=99999999999999\nIdleLockMinutes=\n", changed(10, 0, true)},
        {"[Options]\nClipboardClearSeconds=3.5\nIdleLockMinutes=+2\n", changed(10, 0, true)},
        {"ClipboardClearSeconds=30\n[Other]\nIdleLockMinutes=5\n", changed(10, 0, true)}, // outside [Options]
        {"[Options]\nClipboardClearSeconds=30\nClipboardClearSeconds=40\n", changed(40, 0, true)}, // the last counts
        {"[Window]\nListWidthTwips=9000\nListHeightTwips=6000\n", changed(10, 0, true, {9000, 6000})},
        {"[Window]\nListWidthTwips=9000\n", changed(10, 0, true)}, // half a size
        {"[Window]\nListWidthTwips=9000\nListHeightTwips=-6000\n", changed(10, 0, true)},
        {"[Window]\nListWidthTwips=9000\nListHeightTwips=999999\n", changed(10, 0, true)},
        {QByteArray("\x00\xff\xfe[Options\n=\n==\nShowPasswords=false", 37), changed(10, 0, true)},
        {QByteArray(4000, '\xa5'), Options {}},
        {"[Generator]\nLength=20\nLowerCase=false\nUpperCase=true\nDigits=false\nSymbols=false\n"
         "LeaveOutLookAlikes=true\n",
         generating(20, false, true, false, false, true)},
        {"[generator]\nlength=129\nsymbols=no\nleaveoutlookalikes=1\n", Options {}},
        {"[Generator]\nLength=-3\nDigits=\n", Options {}},
        {"[Options]\nLength=20\nDigits=false\n", Options {}}, // outside [Generator]
        {"[Options]\nIdleLockMinutes=5\nLockOnScreenLock=false\n", screenLock(false, 5)},
        {"[options]\r\nlockonscreenlock = FALSE\r\n", screenLock(false)},
        {"[Options]\nLockOnScreenLock=true\n", Options {}},
        {"[Options]\nLockOnScreenLock=0\n", Options {}},
        {"[Options]\nLockOnScreenLock=no\n", Options {}},
        {"[Options]\nLockOnScreenLock=\n", Options {}},
        {"[Window]\nLockOnScreenLock=false\n", Options {}}, // outside [Options]
    };
    for (const auto& c : cases)
        EXPECT_EQ(OptionsFormat::parse(c.text), c.expected) << qPrintable(QString::fromLatin1(c.text.left(80)));
}

class OptionsStoreTest : public TempAppDirTest {
protected:
    QString appDir() const { return dir.path() + '/'; }
};

TEST_F(OptionsStoreTest, MissingFileGivesTheDefaultsAndWritesNothingUnchanged)
{
    OptionsStore store(appDir());
    EXPECT_EQ(store.options(), Options {});
    EXPECT_EQ(store.path(), path("vellamar.ini"));
    EXPECT_TRUE(store.update(Options {}));
    EXPECT_TRUE(files().isEmpty()) << "the defaults need no file";
}

TEST_F(OptionsStoreTest, ChangesAreWrittenAndReadBack)
{
    const Options wanted = changed(25, 15, false, {8000, 5000});
    {
        OptionsStore store(appDir());
        ASSERT_TRUE(store.update(wanted));
        EXPECT_EQ(store.options(), wanted);
    }
    EXPECT_EQ(files(), QStringList {"vellamar.ini"});
    EXPECT_EQ(OptionsStore(appDir()).options(), wanted);
    EXPECT_EQ(QFile::permissions(path("vellamar.ini")) & 0x0077, 0) << "readable by its owner only";
}

TEST_F(OptionsStoreTest, UnreadableOrDamagedFileGivesTheDefaults)
{
    const struct {
        const char* what;
        std::function<void()> make;
    } cases[] = {
        {"a folder in its place", [this] { ASSERT_TRUE(QDir(dir.path()).mkdir("vellamar.ini")); }},
        {"binary garbage", [this] { writeFile("vellamar.ini", QByteArray(300, '\x01')); }},
        {"far too large",
         [this] { writeFile("vellamar.ini", "[Options]\nIdleLockMinutes=5\n" + QByteArray(100000, ' ')); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.make();
        EXPECT_EQ(OptionsStore(appDir()).options(), Options {});
        QDir(path("vellamar.ini")).removeRecursively();
        QFile::remove(path("vellamar.ini"));
    }
}

TEST_F(OptionsStoreTest, FailedWriteIsIgnoredAndKeepsTheChoiceForTheRun)
{
    setWritable({}, false);
    OptionsStore store(appDir());
    const Options wanted = changed(0, 3, false);
    EXPECT_FALSE(store.update(wanted));
    EXPECT_EQ(store.options(), wanted);
    setWritable({}, true);
    EXPECT_TRUE(files().isEmpty());
    // The next change tries again and writes everything.
    ASSERT_TRUE(store.update(changed(0, 4, false)));
    EXPECT_EQ(OptionsStore(appDir()).options(), changed(0, 4, false));
}

TEST_F(OptionsStoreTest, AFailingStepLeavesTheLastGoodFile)
{
    OptionsStore store(appDir());
    ASSERT_TRUE(store.update(changed(5, 0, true)));
    const QByteArray good = readFile("vellamar.ini");
    SafeWrite::setFailingStepForTesting(1);
    EXPECT_FALSE(store.update(changed(6, 0, true)));
    EXPECT_TRUE(SafeWrite::failingStepFiredForTesting());
    EXPECT_EQ(readFile("vellamar.ini"), good);
    EXPECT_EQ(files(), QStringList {"vellamar.ini"});
}

} // namespace
