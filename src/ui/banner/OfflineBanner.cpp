#include "ui/banner/OfflineBanner.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>

namespace {

QLabel *plainLabel(QWidget *parent, const QString &name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

OfflineBanner::OfflineBanner(QWidget *parent, const QString &productName) : QFrame(parent)
{
    setObjectName(QStringLiteral("offlineBanner"));
    setFrameShape(QFrame::NoFrame);

    auto *artwork = new QLabel(this);
    artwork->setPixmap(QPixmap(QStringLiteral(":/images/icon32.png")));
    m_name = plainLabel(this, QStringLiteral("productName"), productName);
    QFont title = font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.6);
    m_name->setFont(title);
    m_line = plainLabel(this, QStringLiteral("line"),
                        QStringLiteral("Your usernames, passwords and locations in one place."));

    QPalette onDark = palette();
    onDark.setColor(QPalette::WindowText, Qt::white);
    m_name->setPalette(onDark);
    m_line->setPalette(onDark);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(0);
    texts->addStretch(1);
    texts->addWidget(m_name);
    texts->addWidget(m_line);
    texts->addStretch(1);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 0, 12, 0);
    layout->setSpacing(12);
    layout->addWidget(artwork);
    layout->addLayout(texts, 1);
}

QString OfflineBanner::productName() const
{
    return m_name->text();
}

QString OfflineBanner::line() const
{
    return m_line->text();
}

void OfflineBanner::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    QLinearGradient band(rect().topLeft(), rect().topRight());
    band.setColorAt(0, QColor(0x1f, 0x3a, 0x5f));
    band.setColorAt(1, QColor(0x3d, 0x7e, 0xa6));
    painter.fillRect(rect(), band);
    QFrame::paintEvent(event);
}
