#include "gui/listings/frm_generator.h"

#include "gui/listings/generatorcontext.h"
#include "gui/ui/clipboardguard.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/strengthmeter.h"
#include "gui/ui/twips.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>

namespace {

QCheckBox* addCheckBox(QWidget* parent, const char* objectName, const QString& text, int left, int top, int width,
                       int height)
{
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QString::fromLatin1(objectName));
    box->setGeometry(Twips::rect(left, top, width, height));
    return box;
}

} // namespace

frm_generator* frm_generator::showFor(GeneratorContext* context, QLineEdit* target)
{
    if (s_instance && s_instance->isVisible() && s_instance->m_target != target)
        s_instance->close();
    return Forms::showOnce(s_instance, [context, target] { return new frm_generator(context, target); });
}

frm_generator::frm_generator(GeneratorContext* context, QLineEdit* target)
    : m_context(context)
    , m_target(target)
{
    Forms::setUpWindow(this, "frm_generator", QStringLiteral("Password Generator"));
    Forms::setClientSize(this, 6135, 4755);
    Label1 = Forms::addFieldLabel(this, "Label1", QStringLiteral("Length"), 120, 180, 1215, 255);
    txt_length = new QSpinBox(this);
    txt_length->setObjectName(QStringLiteral("txt_length"));
    txt_length->setGeometry(Twips::rect(1440, 120, 1935, 375));
    txt_length->setSuffix(QStringLiteral(" characters"));
    chk_lower = addCheckBox(this, "chk_lower", QStringLiteral("Lower-case letters"), 120, 660, 2895, 315);
    chk_upper = addCheckBox(this, "chk_upper", QStringLiteral("Upper-case letters"), 3120, 660, 2895, 315);
    chk_digits = addCheckBox(this, "chk_digits", QStringLiteral("Digits"), 120, 1020, 2895, 315);
    chk_symbols =
        addCheckBox(this, "chk_symbols", QStringLiteral("Symbols (%1)").arg(QStringView(PasswordGenerator::kSymbols)),
                    3120, 1020, 2895, 315);
    chk_lookalikes = addCheckBox(
        this, "chk_lookalikes",
        QStringLiteral("Leave out look-alike characters (%1)").arg(QStringView(PasswordGenerator::kLookAlikes)), 120,
        1380, 5895, 315);
    txt_generated = Forms::addTextBox(this, "txt_generated", 120, 1860, 5895, 375);
    txt_generated->setReadOnly(true);
    // Look-alike characters are easiest to tell apart in a fixed font.
    txt_generated->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    bar_strength = new QProgressBar(this);
    bar_strength->setObjectName(QStringLiteral("bar_strength"));
    bar_strength->setGeometry(Twips::rect(120, 2340, 5895, 180));
    bar_strength->setRange(0, kFullBarBits);
    bar_strength->setTextVisible(false);
    lbl_strength = Forms::addLabel(this, "lbl_strength", {}, 120, 2565, 5895, 570);
    lbl_strength->setWordWrap(true);
    Label2 = Forms::addLabel(this, "Label2", QStringLiteral("As a master password:"), 120, 3180, 5895, 255);
    fra_master = new StrengthMeter(this, QStringLiteral("master"), 120, 3435, 5895, 720);
    fra_master->follow(txt_generated);
    cmd_new = Forms::addButton(this, "cmd_new", QStringLiteral("New"), 120, 4260, 1215, 375);
    cmd_copy = Forms::addButton(this, "cmd_copy", QStringLiteral("Copy"), 1440, 4260, 1215, 375);
    cmd_use = Forms::addButton(this, "cmd_use", QStringLiteral("Use"), 2760, 4260, 1215, 375);
    cmd_close = Forms::addButton(this, "cmd_close", QStringLiteral("Close"), 4800, 4260, 1215, 375);

    const PasswordGenerator::Settings last = m_context ? m_context->settings() : PasswordGenerator::Settings {};
    m_keptLength = m_context ? m_context->keptLength() : 0;
    txt_length->setRange(1, m_context ? m_context->maxLength() : PasswordGenerator::kMaxListFileLength);
    txt_length->setValue(last.length);
    chk_lower->setChecked(last.lower);
    chk_upper->setChecked(last.upper);
    chk_digits->setChecked(last.digits);
    chk_symbols->setChecked(last.symbols);
    chk_lookalikes->setChecked(last.avoidLookAlikes);

    Forms::setTabOrder({txt_length, chk_lower, chk_upper, chk_digits, chk_symbols, chk_lookalikes, txt_generated,
                        cmd_new, cmd_copy, cmd_use, cmd_close});
    // Opened from a listing dialog, Return puts the password there.
    Forms::bindReturnAndEscape(this, m_target ? cmd_use : cmd_copy, cmd_close);

    connect(txt_length, &QSpinBox::valueChanged, this, [this] {
        m_keptLength = txt_length->value();
        choiceChanged();
    });
    for (QCheckBox* box : {chk_lower, chk_upper, chk_digits, chk_symbols, chk_lookalikes})
        connect(box, &QCheckBox::toggled, this, &frm_generator::choiceChanged);
    connect(cmd_new, &QPushButton::clicked, this, &frm_generator::cmd_new_Click);
    connect(cmd_copy, &QPushButton::clicked, this, &frm_generator::cmd_copy_Click);
    connect(cmd_use, &QPushButton::clicked, this, &frm_generator::cmd_use_Click);
    connect(cmd_close, &QPushButton::clicked, this, &frm_generator::cmd_close_Click);
    if (m_target)
        connect(m_target, &QObject::destroyed, this, [this] { cmd_use->setEnabled(false); });

    cmd_new_Click();
}

PasswordGenerator::Settings frm_generator::chosen() const
{
    PasswordGenerator::Settings settings;
    settings.length = txt_length->value();
    settings.lower = chk_lower->isChecked();
    settings.upper = chk_upper->isChecked();
    settings.digits = chk_digits->isChecked();
    settings.symbols = chk_symbols->isChecked();
    settings.avoidLookAlikes = chk_lookalikes->isChecked();
    return settings;
}

void frm_generator::choiceChanged()
{
    if (m_context) {
        PasswordGenerator::Settings kept = chosen();
        kept.length = m_keptLength;
        m_context->keep(kept);
    }
    cmd_new_Click();
}

void frm_generator::cmd_new_Click()
{
    showPassword(PasswordGenerator::generate(chosen()));
}

void frm_generator::showPassword(PasswordGenerator::Result result)
{
    m_password = std::move(result.password);
    const double bits = PasswordGenerator::entropyBits(chosen());
    fra_master->setCeiling(bits);
    txt_generated->setText(m_password.view().toString());
    const bool drawn = !m_password.isEmpty();
    bar_strength->setValue(drawn ? qMin(kFullBarBits, qRound(bits)) : 0);
    lbl_strength->setText(drawn ? PasswordGenerator::strengthPhrase(bits) : result.refusal);
    cmd_copy->setEnabled(drawn);
    cmd_use->setEnabled(drawn && m_target);
}

void frm_generator::cmd_copy_Click()
{
    if (m_password.isEmpty())
        return;
    if (m_context && m_context->clipboard())
        m_context->clipboard()->copy(m_password.view().toString(), true);
    close();
}

void frm_generator::cmd_use_Click()
{
    if (m_password.isEmpty() || !m_target)
        return;
    // Through the box's edit history, so Ctrl+Z there brings back its text.
    m_target->selectAll();
    m_target->insert(m_password.view().toString());
    close();
}

void frm_generator::cmd_close_Click()
{
    close();
}

void frm_generator::closeEvent(QCloseEvent* event)
{
    m_password.wipe();
    // setText drops the undo history too.
    txt_generated->setText(QString());
    event->accept();
}
