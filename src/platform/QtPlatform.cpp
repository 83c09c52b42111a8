#include "platform/QtPlatform.h"

#include "VersionInfo.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QSettings>
#include <QTimer>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace platform {

namespace {

QMessageBox::StandardButtons standardButtons(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    case MsgButtons::RetryDiscardCancel:
        return QMessageBox::Retry | QMessageBox::Discard | QMessageBox::Cancel;
    case MsgButtons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon standardIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Warning:
        return QMessageBox::Warning;
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString settingsKey(const QString &section, const QString &key)
{
    return section + QLatin1Char('/') + key;
}

} // namespace

MsgResult QtPlatform::messageBox(const MessageBoxRequest &request)
{
    QMessageBox box(standardIcon(request.icon), request.title, request.text,
                    standardButtons(request.buttons));
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    if (request.buttons != MsgButtons::Ok)
        box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Ok:
        return MsgResult::Ok;
    case QMessageBox::Retry:
        return MsgResult::Retry;
    case QMessageBox::Discard:
        return MsgResult::Discard;
    default:
        return request.buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::Cancel;
    }
}

void QtPlatform::clearClipboard()
{
    QGuiApplication::clipboard()->clear();
}

void QtPlatform::setClipboardText(const QString &text)
{
    auto *data = new QMimeData;
    data->setText(text);
    // Clipboard managers on Linux (KDE's hint) and Windows' clipboard history skip
    // content marked like this.
    data->setData(QStringLiteral("x-kde-passwordManagerHint"), QByteArrayLiteral("secret"));
    data->setData(QStringLiteral("application/x-qt-windows-mime;value=\"ExcludeClipboardContentFromMonitorProcessing\""),
                  QByteArray(4, '\0'));
    QGuiApplication::clipboard()->setMimeData(data);
}

bool QtPlatform::launch(const QString &program, const QStringList &arguments)
{
    return QProcess::startDetached(program, arguments);
}

QStringList QtPlatform::openAddressCommand(const QString &address) const
{
#ifdef Q_OS_WIN
    return address.isEmpty() ? QStringList{QStringLiteral("explorer")}
                             : QStringList{QStringLiteral("explorer"), address};
#else
    // "explorer" with nothing behind it opens the user's own folder; do the same.
    return {QStringLiteral("xdg-open"), address.isEmpty() ? QDir::homePath() : address};
#endif
}

QString QtPlatform::readSetting(const QString &application, const QString &section,
                                const QString &key, const QString &defaultValue)
{
    QSettings settings(application, application);
    return settings.value(settingsKey(section, key), defaultValue).toString();
}

void QtPlatform::writeSetting(const QString &application, const QString &section,
                              const QString &key, const QString &value)
{
    QSettings settings(application, application);
    settings.setValue(settingsKey(section, key), value);
}

QDateTime QtPlatform::now() const
{
    return QDateTime::currentDateTime();
}

void QtPlatform::endProgram()
{
    QCoreApplication::exit(0);
    // Also covers a call made before the event loop runs.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

QString QtPlatform::applicationFolder() const
{
    return QCoreApplication::applicationDirPath();
}

VersionInfo QtPlatform::versionInfo() const
{
    return {QString::fromUtf8(VersionInfoValues::ProductName),
            QString::fromUtf8(VersionInfoValues::CompanyName),
            QString::fromUtf8(VersionInfoValues::Comments),
            VersionInfoValues::Major,
            VersionInfoValues::Minor,
            VersionInfoValues::Revision};
}

void allowWebViewsAsRoot()
{
#ifdef Q_OS_UNIX
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        std::fputs("keyholder: running as root, so the web view sandbox is turned off\n", stderr);
    }
#endif
}

} // namespace platform
