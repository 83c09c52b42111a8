#pragma once

// Shared by the benchmarks: the outside world with no one at the screen, and
// the floors that loading and saving a vault are measured against.
#include "platform/Platform.h"
#include "vault/VaultFormat.h"

#include "floors/VaultFloor.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <vector>

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

// The floor for a load: the file read, deciphered and decoded into one UTF-16
// buffer, by plain code (floors/VaultFloor.h) that calls nothing of ours.
inline floors::Buffer<char16_t> floorReadAndDecode(const QString &path)
{
    return floors::decodeUtf16(floors::readFile(QFile::encodeName(path).constData()));
}

// The floors for a save: the same bytes through QSaveFile, and with the
// backup too, made as one hard link to the file being replaced.
inline bool floorSave(const QString &path, const QByteArray &bytes, bool keepBackup)
{
    if (keepBackup) {
        const QByteArray from = QFile::encodeName(path);
        const QByteArray backup = from + ".bak";
        ::unlink(backup.constData());
        if (::link(from.constData(), backup.constData()) != 0)
            return false;
    }
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// Each round of a benchmark's own work beside a round of its floor, timed by
// the clock, the floor's with the benchmark's timing paused. Reports both
// medians in ms and the median of the rounds' ratios (x_floor): pairs compare
// fairly while the machine's speed drifts.
class BesideFloor
{
public:
    explicit BesideFloor(benchmark::State &state) : m_state(state) {}
    ~BesideFloor()
    {
        if (m_ours.empty() || m_ours.size() != m_floor.size())
            return;
        std::vector<double> ratios;
        for (size_t i = 0; i < m_ours.size(); ++i)
            ratios.push_back(m_ours[i] / m_floor[i]);
        m_state.counters["ms"] = median(m_ours) * 1e3;
        m_state.counters["floor_ms"] = median(m_floor) * 1e3;
        m_state.counters["x_floor"] = median(ratios);
    }

    template<typename Work>
    void ours(Work &&work)
    {
        m_ours.push_back(seconds(work));
    }

    template<typename Work>
    void floor(Work &&work)
    {
        m_state.PauseTiming();
        m_floor.push_back(seconds(work));
        m_state.ResumeTiming();
    }

private:
    template<typename Work>
    static double seconds(Work &work)
    {
        const auto start = std::chrono::steady_clock::now();
        work();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    static double median(std::vector<double> values)
    {
        std::sort(values.begin(), values.end());
        const size_t half = values.size() / 2;
        return values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2;
    }

    benchmark::State &m_state;
    std::vector<double> m_ours;
    std::vector<double> m_floor;
};

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

// Entries of about 50 bytes in the file, as "vault_floor make" writes them.
inline std::vector<EntryRow> makeShortRows(int count)
{
    std::vector<EntryRow> rows;
    rows.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
        rows.emplace_back(VaultEntry{QStringLiteral("user%1").arg(i, 7, 10, QChar(u'0')),
                                     QStringLiteral("Päss-%1").arg(qint64(i) * 7919 % 9999991, 7, 10, QChar(u'0')),
                                     QStringLiteral("site%1.example").arg(i, 7, 10, QChar(u'0'))});
    return rows;
}

// One vault file per size, with BenchMaster as its password, written once for the whole run.
struct VaultOnDisk
{
    QTemporaryDir folder;
    QByteArray bytes;
    QString path() const { return folder.filePath(QStringLiteral("data.enc")); }
};

enum class Entries { Long, Short };

inline const VaultOnDisk &vaultOf(int count, Entries entries = Entries::Long)
{
    static std::map<std::pair<int, Entries>, std::unique_ptr<VaultOnDisk>> vaults;
    auto &vault = vaults[{count, entries}];
    if (!vault) {
        vault = std::make_unique<VaultOnDisk>();
        vault->bytes = VaultFormat::serialize(BenchMaster, entries == Entries::Long ? makeRows(count)
                                                                                   : makeShortRows(count));
        // Owner-only, as the program makes a vault: a save then keeps the old
        // file as the backup by a hard link, where a file others may read is copied.
        QFile file(vault->path());
        if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(QFile::ReadOwner | QFile::WriteOwner)
            || file.write(vault->bytes) != vault->bytes.size())
            qFatal("cannot write the benchmark vault");
    }
    return *vault;
}

// Bytes and entries per round, for a vault of count entries.
inline void setCounters(benchmark::State &state, int count, Entries entries = Entries::Long)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * vaultOf(count, entries).bytes.size());
    state.SetItemsProcessed(int64_t(state.iterations()) * count);
}

// The floor alone, timed: the vault of state.range(0) entries read and decoded each round.
inline void floorReadAndDecodeRounds(benchmark::State &state)
{
    const int count = int(state.range(0));
    const VaultOnDisk &vault = vaultOf(count);
    for (auto _ : state)
        benchmark::DoNotOptimize(floorReadAndDecode(vault.path()));
    setCounters(state, count);
}

} // namespace bench
