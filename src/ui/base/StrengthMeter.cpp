#include "ui/base/StrengthMeter.h"

#include "ui/base/Controls.h"
#include "vault/PasswordStrength.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Past this many bits a password is as good as the bar can say.
constexpr int FullBarBits = 128;

QString colourOf(Strength::Level level)
{
    switch (level) {
    case Strength::Level::Poor:
        return u"#c62828"_s;
    case Strength::Level::Weak:
        return u"#ef6c00"_s;
    case Strength::Level::Good:
        return u"#7cb342"_s;
    case Strength::Level::Excellent:
        break;
    }
    return u"#2e7d32"_s;
}

} // namespace

StrengthMeter::StrengthMeter(QLineEdit *box, const QRect &barTwips, const QRect &wordTwips)
    : QObject(box), m_box(box)
{
    QWidget *area = box->parentWidget();
    bar = Controls::progressBar(area, box->objectName() + u"Strength"_s, barTwips);
    bar->setRange(0, FullBarBits);
    bar->setAccessibleName(u"Password strength"_s);
    word = Controls::label(area, box->objectName() + u"StrengthWord"_s, QString(), wordTwips);
    connect(box, &QLineEdit::textChanged, this, &StrengthMeter::show);
    show(box->text());
}

void StrengthMeter::setVisible(bool visible)
{
    m_hidden = !visible;
    bar->setVisible(visible);
    word->setVisible(visible);
    if (visible)
        show(m_box->text());
}

void StrengthMeter::show(const QString &password)
{
    if (m_hidden)
        return;
    if (password.isEmpty()) {
        bar->setValue(0);
        word->clear();
        return;
    }
    const Strength strength = PasswordStrength::of(password);
    bar->setValue(std::min(FullBarBits, int(strength.bits)));
    // A new style sheet polishes the bar again: only when the level changes, not on every key.
    if (strength.level != m_shownLevel) {
        m_shownLevel = strength.level;
        bar->setStyleSheet(u"QProgressBar { border: 1px solid #8a8a8a; border-radius: 2px; background: #e8e8e8; }"
                           "QProgressBar::chunk { background: %1; }"_s.arg(colourOf(strength.level)));
    }
    word->setText(strength.word());
    bar->setAccessibleDescription(strength.word());
}
