// Tools -> Export... on the real listing window: the master password again,
// the warning, the file chosen, and the file written only when all agree.
#include "core/masterpassword/strongprotection.h"
#include "core/storage/safewrite.h"
#include "gui/listings/listfixture.h"
#include "gui/transfer/exportcommand.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/passwordprompt.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <optional>

namespace {

// The rows of the list openWithListings(2) writes, pad spaces dropped.
const QByteArray kTwoListingsCsv = "site,username,password\r\nsite1,user1,pw1\r\nsite2,user2,pw2\r\n";

class ExportCommandTest : public ListWindowTest {
protected:
    void SetUp() override
    {
        ListWindowTest::SetUp();
        ASSERT_TRUE(elsewhere.isValid());
        writeCiphered("kxpwfl.ene", "Mk1", "sx8peu3");
        PasswordPrompt::setAnswerForTesting([this](const QString& text) -> std::optional<QString> {
            prompts.append(text);
            return typed;
        });
        ExportCommand::setPathAnswerForTesting([this](const QString& start) {
            starts.append(start);
            return chosen.isEmpty() ? QString() : chosen.takeFirst();
        });
        MsgBox::setAnswerForTesting(true);
    }
    void TearDown() override
    {
        PasswordPrompt::setAnswerForTesting({});
        ExportCommand::setPathAnswerForTesting({});
        ListWindowTest::TearDown();
    }

    QString exportPath() const { return elsewhere.filePath("export.csv"); }
    QStringList exported() const { return QDir(elsewhere.path()).entryList(QDir::Files | QDir::Hidden); }
    QByteArray exportedBytes() const
    {
        QFile file(exportPath());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }
    void exportNow()
    {
        messages.clear();
        list->mnu_export->trigger();
        settle();
    }

    QTemporaryDir elsewhere; // the user's own folder
    std::optional<QString> typed = QStringLiteral("Mk1");
    QStringList chosen; // the save dialog's answers, in turn
    QStringList prompts;
    QStringList starts; // where the save dialog started each time
};

TEST_F(ExportCommandTest, TheWholeFlowWritesTheListAndSaysWhere)
{
    openWithListings(2);
    chosen = {exportPath()};
    exportNow();
    EXPECT_EQ(prompts, QStringList {"Type your master password to export the list."});
    ASSERT_EQ(messages.size(), 2) << "the warning, then the result";
    EXPECT_TRUE(messages[0].text.contains("every password") && messages[0].text.contains("Delete it"))
        << qPrintable(messages[0].text);
    EXPECT_EQ(MsgBox::lastDefaultForTesting(), MsgBox::Default::No);
    EXPECT_EQ(starts, QStringList {QDir::home().filePath("vellamar-export.csv")});
    EXPECT_EQ(messages[1].text, "The list (2 listings) was exported to \"" + QDir::toNativeSeparators(exportPath())
                                    + "\".\rThe file holds every password in clear: delete it as soon as you are "
                                      "done with it.");
    EXPECT_EQ(messages[1].caption, "Export");
    EXPECT_EQ(exported(), QStringList {"export.csv"});
    EXPECT_EQ(exportedBytes(), kTwoListingsCsv);
    EXPECT_EQ(QFile::permissions(exportPath()) & 0x0077, 0) << "nothing for the group or others";
}

// The list's own quirks reach the file as the grid shows them: a comma, a
// quote and a space at the start, the list file's pad spaces dropped.
TEST_F(ExportCommandTest, TrickyValuesAreQuoted)
{
    writeCiphered("kxplst.ene", record("a,b", "say \"hi\"", " pw"), "Mk1");
    session.useKeyForTesting(QStringLiteral("Mk1"));
    list = frm_list::open(session);
    ASSERT_NE(list, nullptr);
    chosen = {exportPath()};
    exportNow();
    EXPECT_EQ(exportedBytes(), "site,username,password\r\n\"a,b\",\"say \"\"hi\"\"\",\" pw\"\r\n");
}

// Spaces at the ends are no part of the master password, as at unlock.
TEST_F(ExportCommandTest, OnlyTheMasterPasswordInForceExports)
{
    struct Case {
        std::optional<QString> typed;
        bool exports;
    };
    const Case cases[] = {{"Mk1", true},   {" Mk1  ", true}, {"mk1", false},
                          {"Mk12", false}, {"", false},      {std::nullopt, false}};
    openWithListings(2);
    for (const Case& c : cases) {
        QFile::remove(exportPath());
        typed = c.typed;
        chosen = {exportPath()};
        starts.clear();
        exportNow();
        const QString name = c.typed.value_or("<Cancel>");
        EXPECT_EQ(QFile::exists(exportPath()), c.exports) << qPrintable(name);
        EXPECT_EQ(starts.isEmpty(), !c.exports) << "no file is asked for: " << qPrintable(name);
        if (!c.typed) {
            EXPECT_TRUE(messages.isEmpty()) << "Cancel stops quietly";
        } else if (!c.exports) {
            EXPECT_EQ(messages, (QList<Message> {{"Sorry password entered is in-correct", "Sorry"}}))
                << qPrintable(name);
        }
    }
}

TEST_F(ExportCommandTest, NoAtTheWarningWritesNothing)
{
    openWithListings(2);
    MsgBox::setAnswerForTesting(false);
    chosen = {exportPath()};
    exportNow();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].text.contains("in clear")) << qPrintable(messages[0].text);
    EXPECT_EQ(MsgBox::lastDefaultForTesting(), MsgBox::Default::No);
    EXPECT_TRUE(starts.isEmpty()) << "no file is asked for";
    EXPECT_TRUE(exported().isEmpty());
}

// The program's folder is refused by name, and the dialog asked again;
// Cancel then stops.
TEST_F(ExportCommandTest, TheProgramsOwnFolderIsRefused)
{
    openWithListings(2);
    const auto before = snapshot();
    const QString refusal = "\"" + QDir::toNativeSeparators(QDir::cleanPath(dir.path()))
                            + "\" is a folder of the program's own, which keeps the list; the export is not "
                              "written there.\rPlease choose another folder.";
    chosen = {path("mine.csv"), exportPath()};
    exportNow();
    EXPECT_EQ(messages[1], (Message {refusal, "Export"}));
    EXPECT_EQ(starts.size(), 2);
    EXPECT_EQ(starts.value(1), QDir::home().filePath("mine.csv")) << "asked again, out of the program's folder";
    EXPECT_EQ(snapshot(), before) << "nothing written in the program's folder";
    EXPECT_EQ(exportedBytes(), kTwoListingsCsv);

    QFile::remove(exportPath());
    chosen = {path("mine.csv")};
    exportNow();
    EXPECT_EQ(messages.size(), 2) << "the warning, the refusal, then nothing";
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(exported().isEmpty());
}

// A write or rename that fails leaves nothing; a folder sync that fails
// after the rename leaves the whole file, which the user is told to delete.
TEST_F(ExportCommandTest, AFailedWriteSaysSoAndLeavesNothing)
{
    openWithListings(2);
    const QString shown = QDir::toNativeSeparators(exportPath());
    const QString exportedText = "The list (2 listings) was exported to \"" + shown + "\".\r";
    struct Case {
        int failingStep;
        bool fileThere;
        QString said;
    };
    const Case cases[] = {{1, false, "The list was not exported to \"" + shown + "\".\rCould not write \"" + shown},
                          {2, false, "The list was not exported to \"" + shown + "\".\rCould not write \"" + shown},
                          {3, true, exportedText}};
    for (const Case& c : cases) {
        QFile::remove(exportPath());
        chosen = {exportPath()};
        SafeWrite::setFailingStepForTesting(c.failingStep);
        exportNow();
        EXPECT_TRUE(SafeWrite::failingStepFiredForTesting()) << c.failingStep;
        SafeWrite::setFailingStepForTesting(0);
        ASSERT_EQ(messages.size(), 2) << c.failingStep;
        EXPECT_TRUE(messages[1].text.startsWith(c.said)) << qPrintable(messages[1].text);
        EXPECT_EQ(exported(), c.fileThere ? QStringList {"export.csv"} : QStringList {}) << c.failingStep;
        if (c.fileThere) {
            EXPECT_TRUE(messages[1].text.contains("delete it") && messages[1].text.contains("Could not sync"))
                << qPrintable(messages[1].text);
        }
    }
}

// With strong protection the password typed must derive the vault's key.
TEST_F(ExportCommandTest, AStrongListExportsUnderItsOwnPassword)
{
    openWithListings(2);
    StrongProtection::setNewVaultParamsForTesting(Vault::minimumParams());
    const StrongProtection::TurnedOn turned = session.turnOn("Strong1");
    StrongProtection::setNewVaultParamsForTesting(std::nullopt);
    ASSERT_TRUE(turned.on && turned.result.ok) << qPrintable(turned.result.error);

    chosen = {exportPath()};
    exportNow();
    EXPECT_FALSE(QFile::exists(exportPath())) << "the earlier password no longer exports";
    typed = QStringLiteral("Strong1");
    chosen = {exportPath()};
    exportNow();
    EXPECT_EQ(exportedBytes(), kTwoListingsCsv);
}

} // namespace
