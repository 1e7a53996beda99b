#include "gui/options/frm_options.h"

#include "gui/ui/formsupport.h"
#include "gui/ui/twips.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace {

// unit and units: what follows a count of one and of any other number.
QSpinBox* addNumberBox(QWidget* parent, const char* objectName, int max, const QString& unit, const QString& units,
                       int left, int top, int width, int height)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(objectName));
    box->setGeometry(Twips::rect(left, top, width, height));
    box->setRange(0, max);
    auto showUnit = [box, unit, units](int value) { box->setSuffix(value == 1 ? unit : units); };
    showUnit(box->value());
    QObject::connect(box, &QSpinBox::valueChanged, box, showUnit);
    // 0 turns the feature off: say so in the box itself.
    box->setSpecialValueText(QStringLiteral("Never"));
    box->setAccelerated(true);
    return box;
}

} // namespace

frm_options* frm_options::showOnce(const Options& current, bool screenLockSeen, Apply apply)
{
    return Forms::showOnce(s_instance, [&current, screenLockSeen, &apply] {
        return new frm_options(current, screenLockSeen, std::move(apply));
    });
}

frm_options::frm_options(const Options& current, bool screenLockSeen, Apply apply)
    : m_apply(std::move(apply))
{
    Forms::setUpWindow(this, "frm_options", QStringLiteral("Options"));
    // The note on an unseen screen lock takes a line of its own.
    const int buttonsTop = screenLockSeen ? 1620 : 1920;
    Forms::setClientSize(this, 5535, buttonsTop + 495);
    Label1 = Forms::addFieldLabel(this, "Label1", QStringLiteral("Clear copied text from the clipboard after"), 120,
                                  240, 3255, 255);
    txt_clipboard = addNumberBox(this, "txt_clipboard", Options::kMaxClipboardSeconds, QStringLiteral(" second"),
                                 QStringLiteral(" seconds"), 3480, 180, 1935, 375);
    Label2 =
        Forms::addFieldLabel(this, "Label2", QStringLiteral("Lock the list when left alone for"), 120, 720, 3255, 255);
    txt_idle = addNumberBox(this, "txt_idle", Options::kMaxIdleMinutes, QStringLiteral(" minute"),
                            QStringLiteral(" minutes"), 3480, 660, 1935, 375);
    chk_screenlock = new QCheckBox(QStringLiteral("Lock when the screen locks"), this);
    chk_screenlock->setObjectName(QStringLiteral("chk_screenlock"));
    chk_screenlock->setGeometry(Twips::rect(120, 1140, 5295, 315));
    lbl_screenlock = Forms::addLabel(
        this, "lbl_screenlock", QStringLiteral("The screen lock cannot be seen on this system."), 120, 1500, 5295, 255);
    Command1 = Forms::addButton(this, "Command1", QStringLiteral("OK"), 2760, buttonsTop, 1215, 375);
    Command2 = Forms::addButton(this, "Command2", QStringLiteral("Cancel"), 4200, buttonsTop, 1215, 375);

    txt_clipboard->setValue(current.clipboardSeconds);
    txt_idle->setValue(current.idleMinutes);
    chk_screenlock->setChecked(current.lockOnScreenLock);
    chk_screenlock->setEnabled(screenLockSeen);
    lbl_screenlock->setVisible(!screenLockSeen);

    Forms::setTabOrder({txt_clipboard, txt_idle, chk_screenlock, Command1, Command2});

    Forms::bindReturnAndEscape(this, Command1, Command2);
    connect(Command1, &QPushButton::clicked, this, &frm_options::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frm_options::Command2_Click);
}

void frm_options::Command1_Click()
{
    // A number still being typed counts as it stands.
    txt_clipboard->interpretText();
    txt_idle->interpretText();
    if (m_apply)
        m_apply(txt_clipboard->value(), txt_idle->value(), chk_screenlock->isChecked());
    close();
}

void frm_options::Command2_Click()
{
    close();
}
