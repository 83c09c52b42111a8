#include "ui/main/FindBox.h"

#include "ui/base/Controls.h"
#include "ui/base/Twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

FindBox::FindBox(QWidget *parent, int widthTwips) : QWidget(parent)
{
    setObjectName(QStringLiteral("FindBox"));
    lblFind = Controls::label(this, QStringLiteral("lblFind"), QStringLiteral("Find:"), {0, 60, 600, 255});
    txtFind = Controls::textBox(this, QStringLiteral("txtFind"), {660, 0, widthTwips - 660, 315});
    lblFind->setBuddy(txtFind);
    txtFind->setClearButtonEnabled(true);
    txtFind->installEventFilter(this);
    connect(txtFind, &QLineEdit::textChanged, this, &FindBox::findChanged);
    hide();
}

void FindBox::openForTyping()
{
    show();
    raise();
    txtFind->setFocus();
    txtFind->selectAll();
}

void FindBox::dismiss()
{
    if (isHidden())
        return;
    // Closing is not a change of the text: the selection stays.
    const QSignalBlocker quiet(txtFind);
    txtFind->clear();
    hide();
    emit closed();
}

bool FindBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != txtFind || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->modifiers() != Qt::NoModifier && key->modifiers() != Qt::KeypadModifier)
        return false;
    if (key->key() == Qt::Key_Escape) {
        dismiss();
        return true;
    }
    if (key->key() == Qt::Key_Down) {
        emit downPressed();
        return true;
    }
    return false;
}
