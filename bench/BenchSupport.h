#pragma once

// Shared by the benchmarks: the outside world with no one at the screen, and
// the floor that loading a vault is measured against.
#include "platform/Platform.h"
#include "vault/ToggleHighBits.h"
#include "vault/VaultFormat.h"
#include "vault/Windows1252.h"

#include <QFile>
#include <QList>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace bench {

// Boxes answer as told, nothing is launched, no help window at start-up. An
// empty folder means a scratch folder of its own.
class QuietPlatform : public platform::Platform
{
public:
    explicit QuietPlatform(QString folder = {}, bool webViews = false,
                           platform::MsgResult answer = platform::MsgResult::Cancel)
        : m_folder(std::move(folder)), m_webViews(webViews), m_answer(answer)
    {
        if (m_folder.isEmpty()) {
            m_scratch = std::make_unique<QTemporaryDir>();
            m_folder = m_scratch->path();
        }
    }

    platform::MsgResult messageBox(const platform::MessageBoxRequest &) override { return m_answer; }
    void clearClipboard() override {}
    void setClipboardText(const QString &) override {}
    QString clipboardText() const override { return {}; }
    bool launch(const QString &, const QStringList &, const std::function<void(const QString &)> &) override
    {
        return true;
    }
    QStringList openAddressCommand(const QString &address) const override { return {address}; }
    QString readSetting(const QString &, const QString &, const QString &, const QString &) override
    {
        return QStringLiteral("0"); // no help window at start-up
    }
    void writeSetting(const QString &, const QString &, const QString &, const QString &) override {}
    bool webViewsAllowed() const override { return m_webViews; }
    QDateTime now() const override { return QDateTime(QDate(2026, 12, 8), QTime(14, 5, 9)); }
    void endProgram(int) override {}
    QString applicationFolder() const override { return m_folder; }
    platform::VersionInfo versionInfo() const override
    {
        return {QStringLiteral("Keyholder"), QStringLiteral("Keyholder Works"),
                QStringLiteral("www.keyholder.example"), 1, 0, 0};
    }

private:
    std::unique_ptr<QTemporaryDir> m_scratch;
    QString m_folder;
    bool m_webViews;
    platform::MsgResult m_answer;
};

// The floor for a load: read the file, cut it at CR LF, decipher each line to one string.
inline QList<QString> readLinesDeciphered(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QByteArrayView rest = bytes;
    QList<QString> lines;
    while (!rest.isEmpty()) {
        const qsizetype end = rest.indexOf("\r\n");
        const QByteArrayView line = end < 0 ? rest : rest.first(end);
        lines.append(Windows1252::decode(ToggleHighBitsBytes(line)));
        rest = rest.sliced(end < 0 ? rest.size() : end + 2);
    }
    return lines;
}

inline const QString BenchMaster = QStringLiteral("master password");

inline std::vector<EntryRow> makeRows(int count)
{
    std::vector<EntryRow> rows;
    rows.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
        rows.emplace_back(VaultEntry{QStringLiteral("user%1@example.com").arg(i), QStringLiteral("Pässwört-%1-€").arg(i),
                                     QStringLiteral("https://www.example.com/login/%1").arg(i)});
    return rows;
}

// One vault file per size, with BenchMaster as its password, written once for the whole run.
struct VaultOnDisk
{
    QTemporaryDir folder;
    QByteArray bytes;
    QString path() const { return folder.filePath(QStringLiteral("data.enc")); }
};

inline const VaultOnDisk &vaultOf(int count)
{
    static std::map<int, std::unique_ptr<VaultOnDisk>> vaults;
    auto &vault = vaults[count];
    if (!vault) {
        vault = std::make_unique<VaultOnDisk>();
        vault->bytes = VaultFormat::serialize(BenchMaster, makeRows(count));
        QFile file(vault->path());
        if (!file.open(QIODevice::WriteOnly) || file.write(vault->bytes) != vault->bytes.size())
            qFatal("cannot write the benchmark vault");
    }
    return *vault;
}

// Bytes and entries per round, for a vault of count entries.
inline void setCounters(benchmark::State &state, int count)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * vaultOf(count).bytes.size());
    state.SetItemsProcessed(int64_t(state.iterations()) * count);
}

// The floor, timed: the vault of state.range(0) entries read and deciphered each round.
inline void readAndDecipherRounds(benchmark::State &state)
{
    const int count = int(state.range(0));
    const VaultOnDisk &vault = vaultOf(count);
    for (auto _ : state)
        benchmark::DoNotOptimize(readLinesDeciphered(vault.path()));
    setCounters(state, count);
}

} // namespace bench
