#include "FakePlatform.h"

void FakePlatform::answer(std::initializer_list<platform::MsgResult> results)
{
    m_answers.insert(m_answers.end(), results.begin(), results.end());
}

platform::MsgResult FakePlatform::messageBox(const platform::MessageBoxRequest &request)
{
    messages.push_back(request);
    if (onMessageBox)
        onMessageBox(request);
    if (!m_answers.empty()) {
        const platform::MsgResult result = m_answers.front();
        m_answers.pop_front();
        return result;
    }
    return request.buttons == platform::MsgButtons::Ok ? platform::MsgResult::Ok
                                                       : platform::MsgResult::Cancel;
}

void FakePlatform::clearClipboard()
{
    clipboard.clear();
    ++clipboardClears;
}

void FakePlatform::setClipboardText(const QString &text)
{
    clipboard = text;
}

bool FakePlatform::launch(const QString &program, const QStringList &arguments,
                          const std::function<void(const QString &reason)> &onLaterFailure)
{
    launches.push_back({program, arguments, onLaterFailure});
    return launchesSucceed;
}

QStringList FakePlatform::openAddressCommand(const QString &address) const
{
    return {QStringLiteral("xdg-open"), address.isEmpty() ? QStringLiteral("/home/user") : address};
}

QString FakePlatform::settingKey(const QString &application, const QString &section,
                                 const QString &key)
{
    return application + QLatin1Char('/') + section + QLatin1Char('/') + key;
}

QString FakePlatform::readSetting(const QString &application, const QString &section,
                                  const QString &key, const QString &defaultValue)
{
    const auto it = settings.find(settingKey(application, section, key));
    return it == settings.end() ? defaultValue : it->second;
}

void FakePlatform::writeSetting(const QString &application, const QString &section,
                                const QString &key, const QString &value)
{
    settings[settingKey(application, section, key)] = value;
}
