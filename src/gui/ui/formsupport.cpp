#include "gui/ui/formsupport.h"

#include "gui/ui/lengthlimit.h"
#include "gui/ui/twips.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QWidget>

// The resources live in a static library: register them before first use.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace Forms {

QIcon appIcon()
{
    static const QIcon icon = [] {
        initResources();
        return QIcon(QStringLiteral(":/vellamar.svg"));
    }();
    return icon;
}

void applyAppLook()
{
    QFont font = QApplication::font();
#ifndef Q_OS_WIN
    // Metrics close to the classic 8-point dialog font the layouts were drawn for.
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("DejaVu Sans")});
#endif
    font.setPointSize(8);
    QApplication::setFont(font);
    QApplication::setWindowIcon(appIcon());
}

void setUpWindow(QWidget* form, const char* objectName, const QString& caption)
{
    form->setObjectName(QString::fromLatin1(objectName));
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                         | Qt::WindowCloseButtonHint);
    form->setWindowTitle(caption);
    form->setWindowIcon(appIcon());
}

void setClientSize(QWidget* form, int widthTwips, int heightTwips)
{
    form->setFixedSize(Twips::size(widthTwips, heightTwips));
}

bool textFits(const QLabel* label)
{
    const QFontMetrics metrics(label->font());
    if (label->wordWrap()) {
        const QRect needed = metrics.boundingRect(QRect(0, 0, label->width(), 100000),
                                                  Qt::TextWordWrap | int(label->alignment()), label->text());
        return needed.height() <= label->height();
    }
    const QStringList lines = label->text().split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (metrics.horizontalAdvance(line) > label->width())
            return false;
    }
    return metrics.height() * lines.size() <= label->height() + metrics.leading();
}

void fitText(QLabel* label)
{
    // Always from the label's own font, so that a short text set after a
    // long one gets its full size back.
    static const char* const kBaseFont = "vellamarBaseFont";
    if (!label->property(kBaseFont).isValid())
        label->setProperty(kBaseFont, label->font());
    QFont font = label->property(kBaseFont).value<QFont>();
    label->setFont(font);
    for (int spacing = 99; !textFits(label) && spacing >= 90; --spacing) {
        font.setLetterSpacing(QFont::PercentageSpacing, spacing);
        label->setFont(font);
    }
    for (qreal size = font.pointSizeF() - 0.5; !textFits(label) && size >= 6.5; size -= 0.5) {
        font.setPointSizeF(size);
        label->setFont(font);
    }
}

QLabel* addLabel(QWidget* parent, const char* objectName, const QString& text, int left, int top, int width, int height)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setGeometry(Twips::rect(left, top, width, height));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(height > 300);
    fitText(label);
    return label;
}

QLabel* addFieldLabel(QWidget* parent, const char* objectName, const QString& text, int left, int top, int width,
                      int height)
{
    QLabel* label = addLabel(parent, objectName, text, left, top, width, height);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setWordWrap(false);
    fitText(label);
    return label;
}

QLineEdit* addTextBox(QWidget* parent, const char* objectName, int left, int top, int width, int height)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(objectName));
    box->setGeometry(Twips::rect(left, top, width, height));
    return box;
}

QLineEdit* addPasswordBox(QWidget* parent, const char* objectName, int left, int top, int width, int height)
{
    QLineEdit* box = addTextBox(parent, objectName, left, top, width, height);
    box->setEchoMode(QLineEdit::Password);
    LimitLength(box, 15);
    box->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    return box;
}

QPushButton* addButton(QWidget* parent, const char* objectName, const QString& caption, int left, int top, int width,
                       int height)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setGeometry(Twips::rect(left, top, width, height));
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

void bindReturnAndEscape(QWidget* form, QAbstractButton* onReturn, QAbstractButton* onEscape)
{
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* press = new QShortcut(QKeySequence(key), form);
        QObject::connect(press, &QShortcut::activated, onReturn, [form, onReturn] {
            // A button with the focus is the one Return means, as elsewhere
            // on the desktop: Tab to Cancel and Return cancels.
            auto* focused = qobject_cast<QPushButton*>(form->focusWidget());
            (focused && focused->isEnabled() ? focused : onReturn)->click();
        });
    }
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), form);
    if (onEscape)
        QObject::connect(escape, &QShortcut::activated, onEscape, &QAbstractButton::click);
    else
        QObject::connect(escape, &QShortcut::activated, form, &QWidget::close);
}

void setTabOrder(std::initializer_list<QWidget*> controls)
{
    QWidget* previous = nullptr;
    for (QWidget* control : controls) {
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
    if (controls.size() > 0)
        (*controls.begin())->setFocus();
}

void showCentred(QWidget* form)
{
    // The frame is not known before the window is shown; centre the client
    // area, which is what the window manager can adjust least.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        QRect frame(QPoint(0, 0), form->size());
        frame.moveCenter(available.center());
        form->move(frame.topLeft());
    }
    form->show();
    bringForward(form);
}

void bringForward(QWidget* form)
{
    if (form->isMinimized())
        form->showNormal();
    form->raise();
    form->activateWindow();
}

void clearAllTextBoxes()
{
    const auto widgets = QApplication::allWidgets();
    for (QWidget* widget : widgets) {
        if (auto* box = qobject_cast<QLineEdit*>(widget)) {
            // setText, unlike clear(), also drops the undo history, which
            // holds every character typed.
            box->setText(QString());
        }
    }
}

void closeAllOtherWindows(QWidget* keep)
{
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window != keep && window->isVisible())
            window->close();
    }
}

} // namespace Forms
