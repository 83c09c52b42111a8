#pragma once

#include <QFrame>

class QLabel;

// What the banner band shows when the banner page cannot be had (no network,
// a failed page, or web views that may not run): our own artwork, the product
// name and a short line, all drawn here.
class OfflineBanner : public QFrame
{
    Q_OBJECT

public:
    OfflineBanner(QWidget *parent, const QString &productName);

    QString productName() const;
    QString line() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *m_name;
    QLabel *m_line;
};
