#pragma once

#include "platform/Platform.h"

#include <deque>
#include <functional>
#include <map>
#include <vector>

// Records every call the program makes to the outside world and answers
// message boxes from a script, so tests never block on a real dialog.
class FakePlatform : public platform::Platform
{
public:
    struct Launch {
        QString program;
        QStringList arguments;
        // Call to make the launched program fail after it started.
        std::function<void(const QString &reason)> failLater;
    };

    // Answers for the next message boxes, in order. Unscripted boxes answer Ok
    // when Ok is their only button, otherwise Cancel.
    void answer(std::initializer_list<platform::MsgResult> results);
    // Called while a box is "open", before it answers.
    std::function<void(const platform::MessageBoxRequest &)> onMessageBox;

    std::vector<platform::MessageBoxRequest> messages;
    QString clipboard;
    int clipboardClears = 0;
    std::vector<Launch> launches;
    bool launchesSucceed = true;
    bool webViewsMayRun = true;
    std::map<QString, QString> settings; // "application/section/key" -> value
    QDateTime clock{QDate(2026, 12, 8), QTime(14, 5, 9)};
    int endProgramCalls = 0;
    int exitStatus = -1; // as the last endProgram gave it
    QString folder;
    platform::VersionInfo version{QStringLiteral("Keyholder"), QStringLiteral("Keyholder Works"),
                                  QStringLiteral("www.keyholder.example"), 1, 0, 0};

    bool ended() const { return endProgramCalls > 0; }
    static QString settingKey(const QString &application, const QString &section,
                              const QString &key);

    platform::MsgResult messageBox(const platform::MessageBoxRequest &request) override;
    void clearClipboard() override;
    void setClipboardText(const QString &text) override;
    QString clipboardText() const override { return clipboard; }
    bool launch(const QString &program, const QStringList &arguments,
                const std::function<void(const QString &reason)> &onLaterFailure) override;
    QStringList openAddressCommand(const QString &address) const override;
    QString readSetting(const QString &application, const QString &section, const QString &key,
                        const QString &defaultValue) override;
    void writeSetting(const QString &application, const QString &section, const QString &key,
                      const QString &value) override;
    QDateTime now() const override { return clock; }
    bool webViewsAllowed() const override { return webViewsMayRun; }
    void endProgram(int status) override
    {
        ++endProgramCalls;
        exitStatus = status;
    }
    QString applicationFolder() const override { return folder; }
    platform::VersionInfo versionInfo() const override { return version; }

private:
    std::deque<platform::MsgResult> m_answers;
};
