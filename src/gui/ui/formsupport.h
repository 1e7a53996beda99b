#pragma once

#include <QIcon>
#include <QPointer>
#include <QString>

#include <initializer_list>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// What every window of the program shares: the icon, a fixed client area
// centred on the screen without minimise or maximise buttons, and controls
// placed by twips and named for tests.
namespace Forms {

QIcon appIcon();

// The program's look: a compact font that fits its twips layouts.
void applyAppLook();

// Makes form a top-level window with that caption and client area.
void setUpWindow(QWidget* form, const char* objectName, const QString& caption);
void setClientSize(QWidget* form, int widthTwips, int heightTwips);

QLabel* addLabel(QWidget* parent, const char* objectName, const QString& text, int left, int top, int width,
                 int height);
// A label naming the text box to its right: its text is right-aligned.
QLabel* addFieldLabel(QWidget* parent, const char* objectName, const QString& text, int left, int top, int width,
                      int height);
// Narrows a label's font a little when its text would not fit its place
// (fonts differ from platform to platform; the places are fixed).
void fitText(QLabel* label);
// Whether the label's text fits its place with its current font.
bool textFits(const QLabel* label);

QLineEdit* addTextBox(QWidget* parent, const char* objectName, int left, int top, int width, int height);
// A master-password box: "*" for each character, at most 15 characters
// (more is refused with a message, never cut).
QLineEdit* addPasswordBox(QWidget* parent, const char* objectName, int left, int top, int width, int height);
// Never the default (Return) button of anything.
QPushButton* addButton(QWidget* parent, const char* objectName, const QString& caption, int left, int top, int width,
                       int height);

// For the program's own dialogs (the described ones bind no keys): Return
// and Enter press onReturn (or the push button that has the focus), Escape
// presses onEscape, or closes the form when there is none. No button
// becomes a default button.
void bindReturnAndEscape(QWidget* form, QAbstractButton* onReturn, QAbstractButton* onEscape);

// Tab moves through controls in this order; the first gets the focus.
void setTabOrder(std::initializer_list<QWidget*> controls);

// Shows form centred on the screen, in front, with the keyboard focus.
void showCentred(QWidget* form);

// Brings an open form forward unchanged.
void bringForward(QWidget* form);

// The one instance of a form: made and shown when absent, brought forward
// when open.
template <class Form, class Make> Form* showOnce(QPointer<Form>& instance, Make make)
{
    // A closed form may still await its deletion: it counts as absent.
    if (instance && instance->isVisible()) {
        bringForward(instance);
        return instance;
    }
    instance = make();
    showCentred(instance);
    return instance;
}

// Closes every other top-level window of the program.
void closeAllOtherWindows(QWidget* keep);
// Empties every text box of the program, with its undo history: what was
// typed or shown there goes before the list closes.
void clearAllTextBoxes();

} // namespace Forms
