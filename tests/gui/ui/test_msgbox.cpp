// Real message boxes (no observer): what closes them from outside.
#include "gui/ui/msgbox.h"
#include "support/guifixture.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

class MsgBoxTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        MsgBox::setObserverForTesting({});
        // Should a box stay open, the test must still end.
        safety = new QTimer;
        safety->setSingleShot(true);
        QObject::connect(safety, &QTimer::timeout, [] {
            ADD_FAILURE() << "a box stayed open";
            MsgBox::closeOpenBoxes();
        });
        safety->start(20000);
    }
    void TearDown() override
    {
        delete safety;
        GuiTest::TearDown();
    }
    QTimer* safety = nullptr;
};

TEST_F(MsgBoxTest, ClosingAQuestionAnswersNo)
{
    int open = -1;
    QTimer::singleShot(0, [&] {
        open = MsgBox::openBoxCount();
        EXPECT_TRUE(MsgBox::closeOpenBoxes());
    });
    EXPECT_FALSE(MsgBox::ask("Close without saving?", "Save Failed"));
    EXPECT_EQ(open, 1);
    EXPECT_EQ(MsgBox::openBoxCount(), 0);
    EXPECT_FALSE(MsgBox::closeOpenBoxes()) << "none left";
}

TEST_F(MsgBoxTest, ClosingClosesNestedBoxesToo)
{
    int open = -1;
    bool innerReturned = false;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [&] {
            open = MsgBox::openBoxCount();
            MsgBox::closeOpenBoxes();
        });
        MsgBox::show("inner", "Oops");
        innerReturned = true;
    });
    MsgBox::show("outer", "Oops");
    EXPECT_TRUE(innerReturned);
    EXPECT_EQ(open, 2);
    EXPECT_EQ(MsgBox::openBoxCount(), 0);
}

// Return answers with the default button the caller chose.
TEST_F(MsgBoxTest, ReturnTakesTheChosenDefault)
{
    for (const auto chosen : {MsgBox::Default::No, MsgBox::Default::Yes}) {
        QString defaultShown;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            defaultShown = box->defaultButton() ? box->defaultButton()->text() : QString();
            QTest::keyClick(box, Qt::Key_Return);
        });
        EXPECT_EQ(MsgBox::ask("Open the password list anyway?", "Vellamar", chosen), chosen == MsgBox::Default::Yes);
        EXPECT_EQ(MsgBox::lastDefaultForTesting(), chosen);
        EXPECT_FALSE(defaultShown.isEmpty());
    }
}

} // namespace
