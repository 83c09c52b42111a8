// How long reading and saving a large vault takes, each beside a floor of
// plain code that does only the unavoidable part of the work.
#include "vault/VaultFile.h"
#include "vault/VaultFormat.h"

#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "BenchSupport.h"

using namespace Qt::StringLiterals;

namespace {

// The most a vault could hold when entries lived in a list box.
constexpr int EntryCount = 32767;

std::vector<EntryRow> makeRows()
{
    std::vector<EntryRow> rows;
    rows.reserve(EntryCount);
    for (int i = 0; i < EntryCount; ++i)
        rows.emplace_back(VaultEntry{u"user%1@example.com"_s.arg(i), u"Pässwört-%1-€"_s.arg(i),
                                     u"https://www.example.com/login/%1"_s.arg(i)});
    return rows;
}

const std::vector<EntryRow> &rows()
{
    static const std::vector<EntryRow> all = makeRows();
    return all;
}

const QByteArray &vaultBytes()
{
    static const QByteArray bytes = VaultFormat::serialize(u"master password"_s, rows());
    return bytes;
}

void setCounters(benchmark::State &state)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * vaultBytes().size());
    state.counters["entries/s"] = benchmark::Counter(double(state.iterations()) * EntryCount,
                                                     benchmark::Counter::kIsRate);
}

void Parse(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(VaultFormat::parse(vaultBytes()));
    setCounters(state);
}

// The floor for Parse: every byte deciphered and decoded into one UTF-16
// buffer by plain code, with no lines, fields or rules.
void Parse_Floor_Decode(benchmark::State &state)
{
    floors::Buffer<char> bytes(size_t(vaultBytes().size()));
    std::copy(vaultBytes().begin(), vaultBytes().end(), bytes.data.get());
    for (auto _ : state)
        benchmark::DoNotOptimize(floors::decodeUtf16(bytes));
    setCounters(state);
}

void Serialize(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(VaultFormat::serialize(u"master password"_s, rows()));
    setCounters(state);
}

// The floors for a write: the finished bytes through QSaveFile, without (0)
// and with (1) the previous file kept as the backup by one hard link.
void Write_Floor_QSaveFile(benchmark::State &state)
{
    const QTemporaryDir dir;
    const QString path = dir.filePath(u"data.enc"_s);
    bench::floorSave(path, vaultBytes(), false);
    for (auto _ : state) {
        if (!bench::floorSave(path, vaultBytes(), state.range(0) != 0))
            state.SkipWithError("QSaveFile failed");
    }
    setCounters(state);
}

void writeVault(benchmark::State &state, VaultFile::Backup backup)
{
    const QTemporaryDir dir;
    const QString path = dir.filePath(u"data.enc"_s);
    for (auto _ : state) {
        if (const Result<void> written = VaultFile::write(path, vaultBytes(), backup); !written)
            state.SkipWithError(qPrintable(written.message()));
    }
    setCounters(state);
}

void VaultFile_Write(benchmark::State &state)
{
    writeVault(state, VaultFile::Backup::None);
}

// The previous file kept as data.enc.bak first: the target is at most 1.3x the plain write.
void VaultFile_WriteKeepingBackup(benchmark::State &state)
{
    writeVault(state, VaultFile::Backup::KeepPrevious);
}

// A whole save as the program does it: serialize, then write.
void Save_SerializeAndWrite(benchmark::State &state)
{
    const QTemporaryDir dir;
    const QString path = dir.filePath(u"data.enc"_s);
    for (auto _ : state) {
        const QByteArray bytes = VaultFormat::serialize(u"master password"_s, rows());
        if (const Result<void> written = VaultFile::write(path, bytes); !written)
            state.SkipWithError(qPrintable(written.message()));
    }
    setCounters(state);
}

} // namespace

// Writes wait on the disk (QSaveFile syncs before renaming), so they are timed by the clock.
BENCHMARK(Parse)->Unit(benchmark::kMillisecond);
BENCHMARK(Parse_Floor_Decode)->Unit(benchmark::kMillisecond);
BENCHMARK(Serialize)->Unit(benchmark::kMillisecond);
BENCHMARK(Write_Floor_QSaveFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(VaultFile_Write)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(VaultFile_WriteKeepingBackup)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Save_SerializeAndWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
