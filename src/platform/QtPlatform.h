#pragma once

#include "platform/Platform.h"

namespace platform {

class QtPlatform final : public Platform
{
public:
    MsgResult messageBox(const MessageBoxRequest &request) override;
    void clearClipboard() override;
    void setClipboardText(const QString &text) override;
    QString clipboardText() const override;
    bool launch(const QString &program, const QStringList &arguments,
                const std::function<void(const QString &reason)> &onLaterFailure) override;
    QStringList openAddressCommand(const QString &address) const override;
    QString readSetting(const QString &application, const QString &section, const QString &key,
                        const QString &defaultValue) override;
    void writeSetting(const QString &application, const QString &section, const QString &key,
                      const QString &value) override;
    QDateTime now() const override;
    bool webViewsAllowed() const override;
    void endProgram(int exitStatus) override;
    QString applicationFolder() const override;
    VersionInfo versionInfo() const override;
};


} // namespace platform
