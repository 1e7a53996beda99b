// Once the list is closed, nothing of it and nothing of the master password
// stays anywhere in the process's memory: the windows' cells and boxes are
// wiped, the password is held in wiped memory, and every block Qt lets go
// (text layouts, undo histories, temporary strings) is zeroed as it is
// freed. Checked by reading the process's own writable memory while the
// goodbye message shows.
#include "app/appfixture.h"
#include "app/memoryscan.h"
#include "app/startupprocedure.h"
#include "app/wipeonfree.h"
#include "core/storage/instancelock.h"
#include "gui/listings/frm_add.h"
#include "gui/listings/frm_list.h"
#include "gui/listings/passwordgrid.h"
#include "gui/masterpassword/frm_password.h"
#include "gui/ui/msgbox.h"
#include "support/listrecords.h"

#include <QApplication>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>
#include <QStringDecoder>

#include <cstdlib>
#include <cstring>

namespace {

// A text of its own for this run, with a character outside ASCII so that
// its UTF-8 and Windows-1252 forms differ. Made as Windows-1252 bytes.
QByteArray uniqueMarker1252(int length)
{
    static const char letters[] = "ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz23456789";
    QByteArray marker;
    for (int i = 0; i < length; ++i)
        marker.append(letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)]);
    marker[length / 2] = char(0xE9); // é
    return marker;
}

// The masked forms the program could hold a text in.
void addForms(QList<MemoryScan::Pattern>* patterns, const QString& label, const QByteArray& in1252)
{
    QString text = QString::fromLatin1(in1252); // 0xE9 is é in both
    QByteArray utf16(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    patterns->append({label + QStringLiteral(" (UTF-16)"), MemoryScan::masked(utf16)});
    patterns->append({label + QStringLiteral(" (UTF-8)"), MemoryScan::masked(text.toUtf8())});
    patterns->append({label + QStringLiteral(" (Windows-1252)"), MemoryScan::masked(in1252)});
}

// Types text key by key, as a user does: every key makes the box's text
// grow, and Qt keeps copies along the way that setText would not make.
void typeInto(QLineEdit* box, const QString& text)
{
    box->setFocus();
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(box, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

class SecretsInMemoryTest : public AppTest { };

TEST_F(SecretsInMemoryTest, NothingOfTheListOrThePasswordStaysWhileTheGoodbyeShows)
{
    if (!WipeOnFree::active() || !MemoryScan::available())
        GTEST_SKIP() << "freed memory is not zeroed on this platform";

    QList<MemoryScan::Pattern> patterns;
    QStringList typed(3); // the master password, a site and a password, as typed
    {
        const QByteArray master = uniqueMarker1252(12);
        const QByteArray site = uniqueMarker1252(20);
        const QByteArray password = uniqueMarker1252(13);
        addForms(&patterns, QStringLiteral("the master password"), master);
        addForms(&patterns, QStringLiteral("a listing's site"), site);
        addForms(&patterns, QStringLiteral("a listing's password"), password);
        writeCiphered("kxinit.ene", "VELLA1nty-V1.0.1-NEWSETUP", "hmut58qkze");
        writeCiphered("kxpwfl.ene", master, "sx8peu3");
        writeCiphered("kxplst.ene", record("www.a.com", "ann", "pw1"), master);
        typed = {QString::fromLatin1(master), QString::fromLatin1(site), QString::fromLatin1(password)};
    }

    InstanceLock lock;
    ASSERT_TRUE(start(lock));
    auto* unlock = window<frm_password>("frm_password");
    ASSERT_NE(unlock, nullptr);
    typeInto(unlock->txt_password, typed[0]);
    unlock->Command1->click();
    settle();
    frm_list* list = frm_list::instance();
    ASSERT_NE(list, nullptr) << qPrintable(faults.join(' '));

    list->cmd_add->click();
    auto* add = window<frm_add>("frm_add");
    ASSERT_NE(add, nullptr);
    typeInto(add->txt_program, typed[1]);
    add->txt_user->setText(QStringLiteral("someone"));
    typeInto(add->txt_password, typed[2]);
    // On to Add with Tab, pressed with the space bar.
    QApplication::setActiveWindow(add);
    add->txt_password->setFocus();
    QTest::keyClick(add->txt_password, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), add->cmd_add);
    QTest::keyClick(add->cmd_add, Qt::Key_Space);
    settle();
    ASSERT_EQ(list->grd_password->Rows() - 1, 2);
    // Let go as any caller would: the program cannot wipe the test's copies.
    for (QString& text : typed)
        text = QString();

    // The search finds what is there: the open list holds all three.
    const QStringList whileOpen = MemoryScan::find(patterns);
    for (const char* held :
         {"the master password (UTF-16)", "a listing's site (UTF-16)", "a listing's password (UTF-16)"})
        EXPECT_TRUE(whileOpen.join('\n').contains(QLatin1String(held))) << held << " while the list is open";

    QStringList atGoodbye;
    bool goodbyeShown = false;
    MsgBox::setObserverForTesting([&](const QString& text, const QString&) {
        if (text == QLatin1String("Bye..")) {
            goodbyeShown = true;
            atGoodbye = MemoryScan::find(patterns);
        }
    });
    list->cmd_lock->click();
    settle();
    EXPECT_TRUE(goodbyeShown);
    EXPECT_TRUE(atGoodbye.isEmpty()) << qPrintable(atGoodbye.join('\n'));
    lock.release();
}

} // namespace

namespace {

// Every way a block is let go zeroes it, for memory no code of ours holds.
TEST(WipeOnFreeTest, ABlockLetGoKeepsNothingOfWhatItHeld)
{
    if (!WipeOnFree::active() || !MemoryScan::available())
        GTEST_SKIP() << "freed memory is not zeroed on this platform";
    const QByteArray marker = uniqueMarker1252(24);
    const QList<MemoryScan::Pattern> patterns {{QStringLiteral("the marker"), MemoryScan::masked(marker)}};
    struct Case {
        const char* name;
        void (*letGo)(void* block);
    };
    const Case cases[] = {
        {"free", [](void* block) { std::free(block); }},
        {"realloc to a larger block", [](void* block) { std::free(std::realloc(block, 1 << 16)); }},
        {"realloc to nothing", [](void* block) { EXPECT_EQ(std::realloc(block, 0), nullptr); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Small and large blocks live in different places of the allocator.
        for (const size_t size : {size_t(48), size_t(200000)}) {
            auto* block = static_cast<char*>(std::malloc(size));
            ASSERT_NE(block, nullptr);
            std::memset(block, 0, size);
            std::memcpy(block + size / 2, marker.constData(), size_t(marker.size()));
            const QStringList before = MemoryScan::find(patterns);
            ASSERT_EQ(before.size(), 2) << "the block and the test's own copy: " << qPrintable(before.join(' '))
                                        << " block " << static_cast<void*>(block) << " marker "
                                        << static_cast<const void*>(marker.constData());
            c.letGo(block);
            EXPECT_EQ(MemoryScan::find(patterns).size(), 1) << "only the test's own copy, at size " << size;
        }
    }
}

} // namespace
