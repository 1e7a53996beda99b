#pragma once

#include "core/masterpassword/passwordstrength.h"

#include <QColor>
#include <QWidget>

#include <limits>

class QLabel;
class QLineEdit;
class QProgressBar;

// A bar and a sentence under a new master password's box: how long the
// password would hold out, estimated again as it is typed. The bar fills
// one fifth a level, red to green; the sentence says the level, the time
// and what that time assumes.
class StrengthMeter : public QWidget {
    Q_OBJECT
public:
    // name "strength" gives the meter fra_strength, its bar bar_strength
    // and its sentence lbl_strength.
    StrengthMeter(QWidget* parent, const QString& name, int left, int top, int width, int height);

    // Estimates box's text from now on, at every change.
    void follow(QLineEdit* box);
    // What a generator drew holds no more than its own bits of randomness,
    // whatever patterns it happens to show.
    void setCeiling(double bits) { m_ceiling = bits; }

    const PasswordStrength::Estimate& estimate() const { return m_estimate; }
    static QColor colourOf(PasswordStrength::Level level);

    QProgressBar* bar;
    QLabel* label;

private:
    void showEstimateOf(QStringView text);

    PasswordStrength::Estimate m_estimate;
    double m_ceiling = std::numeric_limits<double>::infinity();
};
