#include "platform/QtPlatform.h"

#include "VersionInfo.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QMessageBox>
#include <QMimeData>
#include <QOperatingSystemVersion>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

#include <map>
#include <utility>
#include <vector>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace platform {

namespace {

// Buttons with words of their own, in order; Cancel is added after them.
std::vector<std::pair<QString, MsgResult>> wordedButtons(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::KeepMineKeepTheirsKeepBothCancel:
        return {{QStringLiteral("Keep &Mine"), MsgResult::KeepMine},
                {QStringLiteral("Keep &Theirs"), MsgResult::KeepTheirs},
                {QStringLiteral("Keep &Both"), MsgResult::KeepBoth}};
    case MsgButtons::OpenReadOnlyOpenAnywayCancel:
        return {{QStringLiteral("Open &Read-Only"), MsgResult::OpenReadOnly},
                {QStringLiteral("Open &Anyway"), MsgResult::OpenAnyway}};
    default:
        return {};
    }
}

QMessageBox::StandardButtons standardButtons(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    case MsgButtons::RetryDiscardCancel:
        return QMessageBox::Retry | QMessageBox::Discard | QMessageBox::Cancel;
    case MsgButtons::KeepMineKeepTheirsKeepBothCancel:
    case MsgButtons::OpenReadOnlyOpenAnywayCancel:
        return QMessageBox::NoButton;
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

// The exit codes of xdg-open, which opens addresses on Linux.
QString launchFailure(const QString &program, int exitCode, QProcess::ExitStatus status)
{
    if (status == QProcess::CrashExit)
        return QStringLiteral("the program %1 stopped unexpectedly.").arg(program);
    switch (exitCode) {
    case 2:
        return QStringLiteral("the file or folder does not exist.");
    case 3:
        return QStringLiteral("no program to open it was found.");
    case 4:
        return QStringLiteral("the program that opens it failed.");
    default:
        return QStringLiteral("the program %1 ended with error %2.").arg(program).arg(exitCode);
    }
}

} // namespace

MsgResult QtPlatform::messageBox(const MessageBoxRequest &request)
{
    QMessageBox box(standardIcon(request.icon), request.title, request.text,
                    standardButtons(request.buttons));
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    // Boxes carry typed texts and paths: never read them as markup.
    box.setTextFormat(Qt::PlainText);
    std::map<QAbstractButton *, MsgResult> worded;
    for (const auto &[text, result] : wordedButtons(request.buttons)) {
        QPushButton *button = box.addButton(text, QMessageBox::AcceptRole);
        if (worded.empty())
            box.setDefaultButton(button);
        worded[button] = result;
    }
    if (!worded.empty())
        box.addButton(QMessageBox::Cancel);
    if (request.buttons != MsgButtons::Ok)
        box.setEscapeButton(QMessageBox::Cancel);
    const int pressed = box.exec();
    if (const auto it = worded.find(box.clickedButton()); it != worded.end())
        return it->second;
    switch (pressed) {
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

QString QtPlatform::clipboardText() const
{
    return QGuiApplication::clipboard()->text();
}

bool QtPlatform::launch(const QString &program, const QStringList &arguments,
                        const std::function<void(const QString &reason)> &onLaterFailure)
{
    // No parent: a launcher still running when we end (a browser started in its
    // foreground) is left running, not killed with us.
    auto *process = new QProcess;
    process->setProgram(program);
    process->setArguments(arguments);
    // No pipes back to us, which it could write into after we have gone.
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start();
    if (!process->waitForStarted()) {
        delete process;
        return false;
    }
    QObject::connect(process, &QProcess::finished, qApp,
                     [process, program, onLaterFailure](int exitCode, QProcess::ExitStatus status) {
                         process->deleteLater();
                         // Explorer's exit code says nothing about success.
                         const bool exitCodeMeansFailure = QOperatingSystemVersion::currentType()
                                                           != QOperatingSystemVersion::Windows;
                         const bool failed = status == QProcess::CrashExit
                                             || (exitCodeMeansFailure && exitCode != 0);
                         if (failed && onLaterFailure)
                             onLaterFailure(launchFailure(program, exitCode, status));
                     });
    return true;
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

void QtPlatform::endProgram(int exitStatus)
{
    QCoreApplication::exit(exitStatus);
    // Also covers a call made before the event loop runs.
    QTimer::singleShot(0, qApp, [exitStatus] { QCoreApplication::exit(exitStatus); });
}

bool QtPlatform::webViewsAllowed() const
{
#ifdef Q_OS_UNIX
    // Chromium's sandbox does not run as root; only the user may decide to go without it.
    return geteuid() != 0 || qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX");
#else
    return true;
#endif
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

} // namespace platform
