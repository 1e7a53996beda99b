#pragma once

#include "core/storage/module1.h"
#include "gui/listings/frm_list.h"
#include "gui/listings/passwordgrid.h"
#include "support/guifixture.h"
#include "support/listrecords.h"

#include <QLocale>

// An open listing window over a list of the given listings.
class ListWindowTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        session.useKeyForTesting(QStringLiteral("Mk1"));
    }
    void TearDown() override
    {
        QLocale::setDefault(QLocale::system());
        GuiTest::TearDown();
    }

    // Opens the listing window over listings "site<k>", "user<k>", "pw<k>".
    frm_list* openWithListings(int count)
    {
        QByteArray plain;
        for (int k = 1; k <= count; ++k)
            plain +=
                record("site" + QByteArray::number(k), "user" + QByteArray::number(k), "pw" + QByteArray::number(k));
        writeCiphered("kxplst.ene", plain, "Mk1");
        // As the unlock does before each opening: closing forgets it.
        session.useKeyForTesting(QStringLiteral("Mk1"));
        list = frm_list::open(session);
        EXPECT_NE(list, nullptr);
        return list;
    }

    PasswordGrid* grid() const { return list->grd_password; }

    QString cell(int row, int column) const
    {
        grid()->setRow(row);
        grid()->setCol(column);
        return grid()->Text();
    }
    // Columns 0 to 3 of a row, joined by "|".
    QString rowText(int row) const
    {
        QStringList cells;
        for (int column = 0; column < 4; ++column)
            cells.append(cell(row, column));
        return cells.join('|');
    }
    static QString padded(const QString& text, int width) { return text.leftJustified(width); }
    // The sites of the list a new start opens with the password file's
    // password "Mk1", without pad spaces.
    QStringList sitesOnDisk()
    {
        ListSession fresh(folder());
        EXPECT_TRUE(fresh.unlockPair(QStringLiteral("Mk1")).opened);
        EXPECT_TRUE(fresh.load());
        QStringList sites;
        for (const Listing& l : fresh.listings())
            sites.append(l.site.trimmed());
        return sites;
    }

    frm_list* list = nullptr;
    const Message invalidChoice {"Sorry that is an invalid choice", "Oops"};
};
