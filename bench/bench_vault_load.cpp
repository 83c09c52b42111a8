// Unlocking a large vault into the main window's list, and saving it back,
// each beside a baseline that does only the unavoidable part of the work:
// reading and deciphering the file into strings, and writing its bytes
// through QSaveFile.
#include "ui/base/AppContext.h"
#include "platform/Platform.h"
#include "ui/main/EntryList.h"
#include "ui/main/Form1.h"
#include "vault/ToggleHighBits.h"
#include "vault/VaultFormat.h"
#include "vault/Windows1252.h"
#include "ui/vault/modGlobals.h"
#include "vault/VaultSession.h"

#include <QApplication>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <map>

#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString &Master = bench::BenchMaster;
using bench::setCounters;
using bench::vaultOf;
using bench::VaultOnDisk;

// The program with its main window loaded over the vault and the password accepted.
struct Program
{
    explicit Program(const QString &folder) : platform(folder), context(platform)
    {
        context.windows.Load<Form1>();
    }
    Form1 &main() { return *context.windows.Find<Form1>(); }

    bench::QuietPlatform platform;
    AppContext context;
};

void Load_Baseline_ReadAndDecipher(benchmark::State &state)
{
    bench::readAndDecipherRounds(state);
}

void Load_LoadEntriesIntoList(benchmark::State &state)
{
    const int count = int(state.range(0));
    const VaultOnDisk &vault = vaultOf(count);
    for (auto _ : state) {
        state.PauseTiming();
        auto program = std::make_unique<Program>(vault.folder.path());
        state.ResumeTiming();
        modGlobals::LoadEntries(program->context, Master, program->context.session().prepareUnlock(Master));
        state.PauseTiming();
        if (program->main().lstPass->count() != count)
            state.SkipWithError("not every entry was loaded");
        program.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    setCounters(state, count);
}

void Save_Baseline_QSaveFile(benchmark::State &state)
{
    const int count = int(state.range(0));
    const QByteArray &bytes = vaultOf(count).bytes;
    const QTemporaryDir dir;
    const QString path = dir.filePath(u"data.enc"_s);
    for (auto _ : state) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
            state.SkipWithError("QSaveFile failed");
    }
    setCounters(state, count);
}

void Save_SaveVault(benchmark::State &state)
{
    const int count = int(state.range(0));
    const VaultOnDisk &vault = vaultOf(count);
    // Its own copy of the vault, so the file the load benchmark reads stays as it is.
    const QTemporaryDir dir;
    QFile::copy(vault.path(), dir.filePath(u"data.enc"_s));
    Program program(dir.path());
    modGlobals::LoadEntries(program.context, Master, program.context.session().prepareUnlock(Master));
    for (auto _ : state) {
        if (!modGlobals::SaveVault(program.context, program.main()))
            state.SkipWithError("SaveVault failed");
    }
    QFile saved(dir.filePath(u"data.enc"_s));
    if (!saved.open(QIODevice::ReadOnly) || saved.readAll() != vault.bytes)
        state.SkipWithError("the saved file differs from the vault that was loaded");
    setCounters(state, count);
}

// Heap memory in use, in bytes: unlike the resident size, it does not hide
// memory that earlier work freed and this work takes again.
qint64 heapBytesInUse()
{
#ifdef __GLIBC__
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
#else
    return 0;
#endif
}

// The session alone, as keyholder-cli uses it: lock, read, check, entries in
// memory. Reports the memory the entries take against the file's size.
void Load_SessionUnlock(benchmark::State &state)
{
    const int count = int(state.range(0));
    const VaultOnDisk &vault = vaultOf(count);
    double memoryPerFileByte = 0;
    for (auto _ : state) {
        const qint64 before = heapBytesInUse();
        VaultSession session(vault.path());
        if (!session.open() || session.unlock(Master).value() != VaultSession::UnlockOutcome::Unlocked)
            state.SkipWithError("the vault did not open");
        state.PauseTiming();
        memoryPerFileByte = double(heapBytesInUse() - before) / double(vault.bytes.size());
        state.ResumeTiming();
    }
    state.counters["memory_per_file_byte"] = memoryPerFileByte;
    setCounters(state, count);
}

// Unlocking again after session.lock(), which reads the file anew: beside
// Load_SessionUnlock, the first unlock of the same vault.
void Load_UnlockAfterLock(benchmark::State &state)
{
    const int count = int(state.range(0));
    const VaultOnDisk &vault = vaultOf(count);
    VaultSession session(vault.path());
    if (!session.open() || session.unlock(Master).value() != VaultSession::UnlockOutcome::Unlocked)
        state.SkipWithError("the vault did not open");
    for (auto _ : state) {
        session.lock();
        if (session.unlock(Master).value() != VaultSession::UnlockOutcome::Unlocked)
            state.SkipWithError("the vault did not open again");
    }
    setCounters(state, count);
}

// What holding the vault's lock adds to a start: take it, then let it go.
void Start_AcquireLock(benchmark::State &state)
{
    const QTemporaryDir dir;
    const QString path = dir.filePath(u"data.enc"_s);
    for (auto _ : state) {
        VaultSession session(path);
        if (session.acquireLock() != VaultLock::Status::Taken)
            state.SkipWithError("the lock could not be taken");
    }
}

// A vault whose one password is 64 MiB: from Enter in the password dialog to
// the list painted. The target is under 2 s.
void Unlock_HugeFieldUntilPainted(benchmark::State &state)
{
    const QTemporaryDir dir;
    {
        QFile file(dir.filePath(u"data.enc"_s));
        const QByteArray bytes =
                VaultFormat::serialize(Master, {EntryRow(VaultEntry{u"anna"_s, QString(64 << 20, u'x'), u"site"_s})});
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write the benchmark vault");
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto program = std::make_unique<Program>(dir.path());
        state.ResumeTiming();
        modGlobals::LoadEntries(program->context, Master, program->context.session().prepareUnlock(Master));
        program->main().lstPass->viewport()->repaint();
        state.PauseTiming();
        program.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(Start_AcquireLock)->Unit(benchmark::kMicrosecond);
BENCHMARK(Unlock_HugeFieldUntilPainted)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(Load_Baseline_ReadAndDecipher)->Arg(32767)->Arg(200000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(Load_SessionUnlock)->Arg(32767)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(Load_UnlockAfterLock)->Arg(32767)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(Load_LoadEntriesIntoList)->Arg(32767)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(Save_Baseline_QSaveFile)->Arg(32767)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(Save_SaveVault)->Arg(32767)->Arg(200000)->Unit(benchmark::kMillisecond);
