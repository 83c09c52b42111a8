#include "ui/browser/QuietPage.h"

#include <QLabel>
#include <QVBoxLayout>

namespace {

struct NetErrorReason {
    int code;
    const char *reason;
};

// The failures a user meets in practice; anything else keeps the engine's text.
constexpr NetErrorReason NetErrorReasons[] = {
    {-6, "The file could not be found."},
    {-7, "The server took too long to answer."},
    {-10, "Access to the page was denied."},
    {-100, "The server closed the connection."},
    {-101, "The connection was reset."},
    {-102, "The server refused the connection."},
    {-104, "The connection to the server failed."},
    {-105, "The server's name could not be found."},
    {-106, "There is no connection to the internet."},
    {-109, "The server cannot be reached."},
    {-118, "The server took too long to answer."},
    {-130, "The proxy server cannot be reached."},
    {-137, "The server's name could not be looked up."},
    {-300, "This is not a valid address."},
    {-301, "Addresses of this kind cannot be opened here."},
    {-302, "Addresses of this kind cannot be opened here."},
    {-310, "The page redirects too many times."},
    {-312, "Web pages may not use this port."},
    {-324, "The server sent nothing back."},
};

bool isCertificateError(int code)
{
    return code <= -200 && code > -300;
}

QLabel *makeLine(QWidget *parent, const QString &name)
{
    auto *line = new QLabel(parent);
    line->setObjectName(name);
    line->setTextFormat(Qt::PlainText); // addresses are typed by the user or come from pages
    line->setWordWrap(true);
    line->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return line;
}

} // namespace

QString QuietPage::title()
{
    return QStringLiteral("Cannot open page");
}

QString QuietPage::reasonForNetError(int code, const QString &engineText)
{
    for (const NetErrorReason &known : NetErrorReasons) {
        if (known.code == code)
            return QString::fromLatin1(known.reason);
    }
    if (isCertificateError(code))
        return QStringLiteral("The server's certificate is not trusted.");
    return engineText.isEmpty() ? QStringLiteral("The page could not be loaded.") : engineText;
}

QString QuietPage::reasonForHttpStatus(int status)
{
    return QStringLiteral("The server answered with error %1.").arg(status);
}

QString QuietPage::reasonForBadAddress()
{
    return QStringLiteral("This is not an address that can be opened.");
}

QString QuietPage::reasonForRunningAsRoot()
{
    return QStringLiteral("The built-in browser does not run as root. Go To still opens an "
                          "entry's location in your own browser.");
}

QuietPage::QuietPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("quietPage"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    m_heading = makeLine(this, QStringLiteral("heading"));
    m_heading->setText(title());
    QFont bold; // only the weight: family and size still come from the window
    bold.setBold(true);
    m_heading->setFont(bold);
    m_address = makeLine(this, QStringLiteral("address"));
    m_reason = makeLine(this, QStringLiteral("reason"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(2);
    layout->addWidget(m_heading);
    layout->addWidget(m_address);
    layout->addWidget(m_reason);
    layout->addStretch(1);
}

void QuietPage::showFor(const QString &address, const QString &reason)
{
    m_address->setText(address);
    m_reason->setText(reason);
    show();
    raise();
}

QString QuietPage::address() const
{
    return m_address->text();
}

QString QuietPage::reason() const
{
    return m_reason->text();
}
