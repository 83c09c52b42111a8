#include "ui/Controls.h"

#include "ui/Twips.h"

#include <QCheckBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QToolButton>
#include <QVariant>

namespace Controls {

namespace {

constexpr const char *KindProperty = "kindName";

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
    return button;
}

QLineEdit *textBox(QWidget *parent, const QString &name, const QRect &twips)
{
    return make<QLineEdit>(parent, name, Kind::TextBox, twips);
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

} // namespace Controls
