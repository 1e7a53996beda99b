#pragma once

#include "support/tempappdir.h"

#include <QList>
#include <QString>
#include <QWidget>

struct Message {
    QString text;
    QString caption;
    friend bool operator==(const Message&, const Message&) = default;
};

// A program folder of its own, message boxes and faults recorded instead of
// shown, and every window gone at the end.
class GuiTest : public TempAppDirTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The open top-level window with that object name, if any.
    template <class W> W* window(const char* objectName) const { return qobject_cast<W*>(findWindow(objectName)); }
    QWidget* findWindow(const char* objectName) const;
    int openWindowCount(const char* objectName) const;
    // What the start hands the set-up and unlock dialogs: opens the list.
    static bool openListWindow();
    // Runs posted deletions, so closed windows are gone.
    static void settle();

    // A control of a window by its object name; fails the test when absent.
    template <class C> C* control(QWidget* form, const char* objectName) const
    {
        C* found = form->findChild<C*>(QString::fromLatin1(objectName));
        EXPECT_NE(found, nullptr) << objectName;
        return found;
    }

    QList<Message> messages;
    QStringList faults;
    QStringList handedOver; // what went to the desktop shell
};
