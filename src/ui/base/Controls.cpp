#include "ui/base/Controls.h"

#include <QGuiApplication>

#include "ui/base/Twips.h"

#include <QCheckBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVariant>

namespace Controls {

namespace {

constexpr const char *KindProperty = "kindName";

// A focused button answers Enter as it answers Space; no button is made the
// window's default, so Enter never reaches another one.
class EnterClicks : public QObject
{
public:
    explicit EnterClicks(QAbstractButton *button) : QObject(button), m_button(button)
    {
        button->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_button && event->type() == QEvent::KeyPress) {
            if (isPlainEnter(static_cast<QKeyEvent *>(event))) {
                if (m_button->isEnabled())
                    m_button->click();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QAbstractButton *m_button;
};

template <typename Control>
Control *make(QWidget *parent, const QString &name, const char *kind, const QRect &twips)
{
    auto *control = new Control(parent);
    control->setObjectName(name);
    setKind(control, kind);
    Twips::place(control, twips);
    return control;
}

} // namespace

void tabOrder(std::initializer_list<QWidget *> order)
{
    for (auto next = order.begin(); next != order.end() && next + 1 != order.end(); ++next)
        QWidget::setTabOrder(*next, *(next + 1));
}

bool isPlainEnter(const QKeyEvent *key)
{
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    return enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

void setKind(QWidget *control, const char *kindName)
{
    control->setProperty(KindProperty, QString::fromLatin1(kindName));
}

QString kindName(const QWidget *control)
{
    return control->property(KindProperty).toString();
}

QFont verdana(double pointSize, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

QPushButton *commandButton(QWidget *parent, const QString &name, const QString &caption,
                           const QRect &twips)
{
    auto *button = make<QPushButton>(parent, name, Kind::CommandButton, twips);
    button->setText(caption);
    button->setAutoDefault(false);
    new EnterClicks(button);
    return button;
}

QToolButton *pictureButton(QWidget *parent, const QString &name, const QString &caption,
                           const QString &picture, const QRect &twips)
{
    auto *button = make<QToolButton>(parent, name, Kind::CommandButton, twips);
    const QPixmap pixmap(picture);
    button->setIcon(QIcon(pixmap));
    if (!pixmap.isNull())
        button->setIconSize(pixmap.size());
    button->setText(caption);
    button->setToolButtonStyle(caption.isEmpty() ? Qt::ToolButtonIconOnly
                                                 : Qt::ToolButtonTextUnderIcon);
    new EnterClicks(button);
    return button;
}

QLineEdit *textBox(QWidget *parent, const QString &name, const QRect &twips)
{
    return make<QLineEdit>(parent, name, Kind::TextBox, twips);
}

void setWaiting(std::initializer_list<QWidget *> controls, bool waiting)
{
    for (QWidget *control : controls)
        control->setEnabled(!waiting);
    if (waiting)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

QLineEdit *passwordBox(QWidget *parent, const QString &name, const QRect &twips)
{
    QLineEdit *box = textBox(parent, name, twips);
    box->setEchoMode(QLineEdit::Password);
    box->setStyleSheet(QStringLiteral("lineedit-password-character: 42")); // '*'
    box->setFont(verdana(8.25));
    return box;
}

QLabel *label(QWidget *parent, const QString &name, const QString &caption, const QRect &twips,
              const char *kindName)
{
    auto *label = make<QLabel>(parent, name, kindName, twips);
    label->setText(caption);
    return label;
}

QCheckBox *checkBox(QWidget *parent, const QString &name, const QString &caption,
                    const QRect &twips)
{
    auto *box = make<QCheckBox>(parent, name, Kind::CheckBox, twips);
    box->setText(caption);
    return box;
}

QRadioButton *optionButton(QWidget *parent, const QString &name, const QString &caption,
                           const QRect &twips)
{
    auto *button = make<QRadioButton>(parent, name, Kind::OptionButton, twips);
    button->setText(caption);
    return button;
}

QSpinBox *spinBox(QWidget *parent, const QString &name, int minimum, int maximum, const QRect &twips)
{
    auto *box = make<QSpinBox>(parent, name, Kind::SpinBox, twips);
    box->setRange(minimum, maximum);
    return box;
}

QProgressBar *progressBar(QWidget *parent, const QString &name, const QRect &twips)
{
    auto *bar = make<QProgressBar>(parent, name, Kind::ProgressBar, twips);
    bar->setTextVisible(false);
    return bar;
}

} // namespace Controls
