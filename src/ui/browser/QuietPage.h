#pragma once

#include <QWidget>

class QLabel;

// What a web view shows instead of a page that could not be loaded: the
// address and the reason, plainly, in the window's own font.
class QuietPage : public QWidget
{
    Q_OBJECT

public:
    // The page's name, as a web view reports it for this page.
    static QString title();
    // A sentence for Chromium's network error codes (net::ERR_*), falling back
    // to the engine's own error text.
    static QString reasonForNetError(int code, const QString &engineText);
    static QString reasonForHttpStatus(int status);
    static QString reasonForBadAddress();
    static QString reasonForRunningAsRoot();

    explicit QuietPage(QWidget *parent);

    void showFor(const QString &address, const QString &reason);
    QString address() const;
    QString reason() const;

private:
    QLabel *m_heading;
    QLabel *m_address;
    QLabel *m_reason;
};
