#include "support/formchecks.h"

#include "gui/ui/formsupport.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>

void expectLayout(QWidget* form, const std::vector<ControlPlace>& controls)
{
    for (const ControlPlace& expected : controls) {
        auto* control = form->findChild<QWidget*>(QString::fromLatin1(expected.name));
        ASSERT_NE(control, nullptr) << expected.name;
        EXPECT_EQ(control->geometry(), Twips::rect(expected.left, expected.top, expected.width, expected.height))
            << expected.name;
        if (expected.text.isNull())
            continue;
        QString text;
        if (auto* label = qobject_cast<QLabel*>(control))
            text = label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(control))
            text = button->text();
        else if (auto* box = qobject_cast<QLineEdit*>(control))
            text = box->text();
        EXPECT_EQ(text, expected.text) << expected.name;
    }
}

QStringList tabOrder(QWidget* first)
{
    QStringList names;
    QWidget* current = first;
    do {
        // A control's inner box that hands its focus on (a spin box's)
        // counts as the control.
        const bool innerPart = current->focusProxy() != nullptr;
        if (current->focusPolicy() & Qt::TabFocus && current->isEnabled() && !innerPart)
            names.append(current->objectName());
        current = current->nextInFocusChain();
    } while (current != first && names.size() < 50);
    return names;
}

void expectWindowBasics(QWidget* form, const QString& caption, int clientWidth, int clientHeight)
{
    EXPECT_EQ(form->windowTitle(), caption);
    EXPECT_TRUE(form->isWindow());
    const Qt::WindowFlags flags = form->windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(form->windowIcon().isNull());
    EXPECT_EQ(form->windowIcon().pixmap(48, 48).size(), QSize(48, 48));
    for (const QLabel* label : form->findChildren<QLabel*>()) {
        if (!label->text().isEmpty()) {
            EXPECT_TRUE(Forms::textFits(label)) << qPrintable(label->objectName() + ": " + label->text());
        }
    }
    if (clientWidth > 0) {
        EXPECT_EQ(form->size(), Twips::size(clientWidth, clientHeight));
        EXPECT_EQ(form->minimumSize(), form->maximumSize()) << "fixed size";
    }
}
