#include "gui/ui/lengthlimit.h"

#include "gui/ui/msgbox.h"

#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QValidator>

#include <limits>

namespace {

class LengthValidator : public QValidator {
public:
    LengthValidator(int limit, QLineEdit* box)
        : QValidator(box)
        , m_limit(limit)
    {
    }

    State validate(QString& input, int&) const override
    {
        if (input.size() <= m_limit)
            return Acceptable;
        tellOnce();
        return Invalid;
    }

private:
    void tellOnce() const
    {
        if (m_telling)
            return;
        m_telling = true;
        // After the edit has been turned down: not from inside the box's
        // own key or paste handling.
        QTimer::singleShot(0, this, [this] {
            MsgBox::show(QStringLiteral("A password can have at most %1 characters. What was typed or pasted "
                                        "would make it longer, so it was not taken.")
                             .arg(m_limit),
                         QStringLiteral("Password Not Accepted"));
            m_telling = false;
        });
    }

    int m_limit;
    mutable bool m_telling = false;
};

} // namespace

void LimitLength(QLineEdit* box, int limit)
{
    // The box itself takes any length, so that nothing is cut before the
    // check sees it.
    box->setMaxLength(std::numeric_limits<int>::max());
    box->setValidator(new LengthValidator(limit, box));
}
