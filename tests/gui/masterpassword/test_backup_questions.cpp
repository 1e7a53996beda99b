// What becomes of the copies kept under the old master password, as the
// user is asked after turning strong protection on or changing the password.
#include "core/listings/vaultlist.h"
#include "core/masterpassword/strongprotection.h"
#include "core/storage/vault.h"
#include "gui/listings/listfixture.h"
#include "gui/masterpassword/frm_pchange.h"
#include "gui/masterpassword/frm_strong.h"
#include "gui/ui/msgbox.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

struct Asked {
    QString text;
    MsgBox::Default byDefault;
};

const QString kInList = "kxplst-backup-20261201-101010.ene";
const QString kLacking = "kxplst-backup-20261201-101011.ene";
const QString kUnreadable = "kxplst-backup-20261201-101012.ene";
const QByteArray kLackingRecords = record("site1", "user1", "pw1") + record("www.gone.com", "gone", "lost");

class BackupQuestionsTest : public ListWindowTest {
protected:
    void SetUp() override
    {
        ListWindowTest::SetUp();
        StrongProtection::setNewVaultParamsForTesting(Vault::minimumParams());
        writeCiphered("kxinit.ene", "VELLA1nty-V1.0.1-NEWSETUP", "hmut58qkze");
        writeCiphered("kxpwfl.ene", "Mk1", "sx8peu3");
        openWithListings(2);
        // Each question is recorded with its default, and answered in turn.
        MsgBox::setObserverForTesting([this](const QString& text, const QString&) {
            asked.append({text, MsgBox::lastDefaultForTesting()});
            MsgBox::setAnswerForTesting(answers.value(asked.size() - 1, false));
        });
    }
    void TearDown() override
    {
        StrongProtection::setNewVaultParamsForTesting(std::nullopt);
        ListWindowTest::TearDown();
    }
    void writeCopies()
    {
        writeCiphered(kInList, record("site2", "user2", "pw2"), "Mk1");
        writeCiphered(kLacking, kLackingRecords, "Mk1");
        writeFile(kUnreadable, "weak");
    }
    void turnOn()
    {
        list->mnu_strong->trigger();
        settle();
        auto* form = window<frm_strong>("frm_strong");
        ASSERT_NE(form, nullptr);
        form->txt_old->setText("Mk1");
        form->txt_new->setText("Strong1#Kq9vLz");
        form->txt_confirm->setText("Strong1#Kq9vLz");
        form->Command1->click();
        settle();
    }
    void changePassword(const QString& from, const QString& to)
    {
        list->cmd_pword->click();
        settle();
        auto* change = window<frm_pchange>("frm_pchange");
        ASSERT_NE(change, nullptr);
        change->txt_old->setText(from);
        change->txt_new->setText(to);
        change->txt_confirm->setText(to);
        change->Command1->click();
        settle();
        EXPECT_EQ(window<frm_pchange>("frm_pchange"), nullptr);
    }
    // What a sealed copy holds, as the list file's records.
    std::optional<QByteArray> openSealed(const QString& name, const QByteArray& password)
    {
        const QByteArray file = readFile(name);
        const Vault::HeaderCheck header = Vault::readHeader(file);
        if (!header.ok())
            return std::nullopt;
        const quint8 version = header.header.version;
        const auto key =
            Vault::deriveFromPassword(QString::fromLatin1(password), header.header.params, header.header.salt, version);
        QByteArray plain;
        if (!key || Vault::open(file, *key, plain, version) != Vault::OpenResult::Ok)
            return std::nullopt;
        QList<Listing> listings;
        SecretBytes records;
        if (!VaultList::listingsOf(plain, version, &listings) || !ListFile::serialize(listings, &records))
            return std::nullopt;
        return records.bytes();
    }

    QList<Asked> asked;
    QList<bool> answers; // the answer to each question, in turn (then No)
};

TEST_F(BackupQuestionsTest, TurningOnAsksYesByDefaultForCheckedCopiesAndNoForTheOthers)
{
    struct Case {
        QList<bool> answers;
        QStringList files;
    };
    const QString sealed = "kxplst-backup-20261201-101011.vault";
    const QList<Case> cases = {
        {{true, true}, {"kxinit.ene", sealed, "kxplst.vault"}},
        {{true, false}, {"kxinit.ene", sealed, kUnreadable, "kxplst.vault"}},
        {{false, true}, {"kxinit.ene", kInList, kLacking, "kxplst.vault"}},
        {{false, false}, {"kxinit.ene", kInList, kLacking, kUnreadable, "kxplst.vault"}},
    };
    for (const Case& c : cases) {
        clearFolder();
        writeCiphered("kxinit.ene", "VELLA1nty-V1.0.1-NEWSETUP", "hmut58qkze");
        writeCiphered("kxpwfl.ene", "Mk1", "sx8peu3");
        ListFile::save(folder(), {{"site1", "user1", "pw1"}, {"site2", "user2", "pw2"}}, u"Mk1");
        session.useKeyForTesting(QStringLiteral("Mk1"));
        writeCopies();
        asked.clear();
        answers = c.answers;
        turnOn();
        ASSERT_EQ(asked.size(), 2);
        EXPECT_EQ(asked[0].byDefault, MsgBox::Default::Yes);
        for (const QString& part : {kInList, kLacking, QStringLiteral("recover the old password")})
            EXPECT_TRUE(asked[0].text.contains(part)) << qPrintable(part) << qPrintable(asked[0].text);
        EXPECT_FALSE(asked[0].text.contains(kUnreadable));
        EXPECT_EQ(asked[1].byDefault, MsgBox::Default::No);
        EXPECT_TRUE(asked[1].text.contains(kUnreadable)) << qPrintable(asked[1].text);
        EXPECT_EQ(files(), c.files);
        if (c.answers[0]) {
            EXPECT_EQ(openSealed(sealed, "Strong1#Kq9vLz"), kLackingRecords);
        }
        EXPECT_EQ(window<frm_strong>("frm_strong"), nullptr);
    }
}

TEST_F(BackupQuestionsTest, APasswordChangeCiphersTheCopiesTheListLacksAnewUnderTheNewPassword)
{
    writeCopies();
    answers = {true, false};
    changePassword("Mk1", "Mk2");
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(asked[0].byDefault, MsgBox::Default::Yes);
    EXPECT_EQ(asked[1].byDefault, MsgBox::Default::No);
    EXPECT_EQ(files(), (QStringList {"kxinit.ene", kUnreadable, "kxplst-backup-20261201-101013.ene", "kxplst.ene",
                                     "kxpwfl-backup-20261201-101013.ene", "kxpwfl.ene"}));
    EXPECT_EQ(readDeciphered("kxpwfl-backup-20261201-101013.ene", "sx8peu3"), "Mk2");
    EXPECT_EQ(readDeciphered("kxplst-backup-20261201-101013.ene", "Mk2"), kLackingRecords);
}

TEST_F(BackupQuestionsTest, WithStrongProtectionAPasswordChangeSealsTheOldCopiesAnew)
{
    turnOn();
    ASSERT_TRUE(asked.isEmpty());
    // A copy sealed under the password now in force, holding a listing the list lacks.
    const auto session = StrongProtection::newSession("Strong1#Kq9vLz");
    ASSERT_TRUE(session.has_value());
    writeFile("kxplst-backup-20261201-101011.vault",
              Vault::seal(kLackingRecords, session->key, session->params, session->salt));
    answers = {true};
    changePassword("Strong1#Kq9vLz", "Strong2");
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].byDefault, MsgBox::Default::Yes);
    EXPECT_EQ(files(), (QStringList {"kxinit.ene", "kxplst-backup-20261201-101012.vault", "kxplst.vault"}));
    EXPECT_EQ(openSealed("kxplst-backup-20261201-101012.vault", "Strong2"), kLackingRecords);
    EXPECT_EQ(openSealed("kxplst-backup-20261201-101012.vault", "Strong1#Kq9vLz"), std::nullopt);
}

} // namespace
