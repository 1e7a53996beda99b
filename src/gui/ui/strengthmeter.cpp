#include "gui/ui/strengthmeter.h"

#include "gui/ui/twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

#include <array>

namespace {

constexpr int kBarHeight = 180;
constexpr int kGap = 45;

} // namespace

StrengthMeter::StrengthMeter(QWidget* parent, const QString& name, int left, int top, int width, int height)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("fra_") + name);
    bar = new QProgressBar(this);
    bar->setObjectName(QStringLiteral("bar_") + name);
    bar->setRange(0, PasswordStrength::kLevelCount);
    bar->setValue(0);
    bar->setTextVisible(false);
    label = new QLabel(this);
    label->setObjectName(QStringLiteral("lbl_") + name);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    setGeometry(Twips::rect(left, top, width, height));
    bar->setGeometry(Twips::rect(0, 0, width, kBarHeight));
    label->setGeometry(Twips::rect(0, kBarHeight + kGap, width, qMax(0, height - kBarHeight - kGap)));
}

void StrengthMeter::follow(QLineEdit* box)
{
    connect(box, &QLineEdit::textChanged, this, [this](const QString& text) { showEstimateOf(text); });
    showEstimateOf(box->text());
}

void StrengthMeter::showEstimateOf(QStringView text)
{
    m_estimate = PasswordStrength::estimate(text, m_ceiling);
    const bool empty = m_estimate.phrase.isEmpty();
    bar->setValue(empty ? 0 : m_estimate.level + 1);
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Highlight, colourOf(m_estimate.level));
    bar->setPalette(palette);
    label->setText(PasswordStrength::summary(m_estimate));
}

QColor StrengthMeter::colourOf(PasswordStrength::Level level)
{
    // Red, orange, amber, light green, green: dark enough for white around.
    static constexpr std::array<QRgb, PasswordStrength::kLevelCount> colours {0xc62828, 0xef6c00, 0xd4a017, 0x7cb342,
                                                                              0x2e7d32};
    return QColor::fromRgb(colours[level]);
}
