// What the encrypted format costs: unlocking at the limits chosen on this
// machine, and a save of a full vault beside the same save scrambled.
#include "vault/EncryptedFormat.h"
#include "vault/VaultFile.h"
#include "vault/VaultFormat.h"
#include "vault/VaultKey.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int EntryCount = 32767;
const QString Master = u"master password"_s;

const std::vector<EntryRow> &rows()
{
    static const std::vector<EntryRow> all = [] {
        std::vector<EntryRow> made;
        made.reserve(EntryCount);
        for (int i = 0; i < EntryCount; ++i)
            made.emplace_back(VaultEntry{u"user%1@example.com"_s.arg(i), u"Pässwört-%1-€"_s.arg(i),
                                         u"https://www.example.com/login/%1"_s.arg(i)});
        return made;
    }();
    return all;
}

// Derived once, at the limits an encrypt on this machine would choose.
const VaultKey &calibratedKey()
{
    static const VaultKey key = std::move(VaultKey::createNew(Master, EncryptedFormat::calibrate())).value();
    return key;
}

void Unlock_CalibratedLimits(benchmark::State &state)
{
    const EncryptedFormat::KdfLimits limits = calibratedKey().limits();
    const QByteArray file = EncryptedFormat::seal(VaultFormat::masterOnly(Master), calibratedKey());
    for (auto _ : state) {
        const Result<VaultKey> key = VaultKey::forFile(file, Master);
        if (!key || !EncryptedFormat::open(file, key.value()))
            state.SkipWithError("unlock failed");
    }
    state.counters["passes"] = double(limits.opsLimit);
    state.counters["MiB"] = double(limits.memLimit >> 20);
}

// The whole save as the program does it, in each format, with the key already derived.
void save(benchmark::State &state, bool encrypted)
{
    const VaultKey &key = calibratedKey();
    const QTemporaryDir dir;
    const QString path = dir.filePath(u"data.enc"_s);
    for (auto _ : state) {
        QByteArray bytes = VaultFormat::serialize(Master, rows());
        if (encrypted)
            bytes = EncryptedFormat::seal(bytes, key);
        if (const Result<void> written = VaultFile::write(path, bytes); !written)
            state.SkipWithError(qPrintable(written.message()));
    }
}

void Save_Scrambled(benchmark::State &state) { save(state, false); }
void Save_Encrypted(benchmark::State &state) { save(state, true); }

void Seal_Only(benchmark::State &state)
{
    const VaultKey &key = calibratedKey();
    const QByteArray bytes = VaultFormat::serialize(Master, rows());
    for (auto _ : state)
        benchmark::DoNotOptimize(EncryptedFormat::seal(bytes, key));
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes.size());
}

} // namespace

BENCHMARK(Unlock_CalibratedLimits)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(Save_Scrambled)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Save_Encrypted)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Seal_Only)->Unit(benchmark::kMillisecond);
