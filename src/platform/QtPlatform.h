#pragma once

#include "platform/Platform.h"

namespace platform {

class QtPlatform final : public Platform
{
public:
    MsgResult messageBox(const MessageBoxRequest &request) override;
    void clearClipboard() override;
    void setClipboardText(const QString &text) override;
    bool launch(const QString &program, const QStringList &arguments) override;
    QStringList openAddressCommand(const QString &address) const override;
    QString readSetting(const QString &application, const QString &section, const QString &key,
                        const QString &defaultValue) override;
    void writeSetting(const QString &application, const QString &section, const QString &key,
                      const QString &value) override;
    QDateTime now() const override;
    void endProgram() override;
    QString applicationFolder() const override;
    VersionInfo versionInfo() const override;
};

// The web views' Chromium refuses to start as root with its sandbox on: turn it
// off then, and say so. Call before the application object exists.
void allowWebViewsAsRoot();

} // namespace platform
