// Unlocking a large vault into the main window's list, and saving it back,
// each beside a floor of plain code that does only the unavoidable part of the
// work: reading, deciphering and decoding the file into one UTF-16 buffer, and
// writing its bytes through QSaveFile with the backup as one hard link.
#include "ui/base/AppContext.h"
#include "platform/Platform.h"
#include "ui/main/EntryList.h"
#include "ui/main/Form1.h"
#include "vault/VaultFormat.h"
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

void Load_Floor_ReadAndDecode(benchmark::State &state)
{
    bench::floorReadAndDecodeRounds(state);
}

void Load_LoadEntriesIntoList(benchmark::State &state)
{
    const int count = int(state.range(0));
    const VaultOnDisk &vault = vaultOf(count);
    bench::BesideFloor pair(state);
    for (auto _ : state) {
        state.PauseTiming();
        auto program = std::make_unique<Program>(vault.folder.path());
        state.ResumeTiming();
        pair.ours([&] {
            modGlobals::LoadEntries(program->context, Master, program->context.session().prepareUnlock(Master));
        });
        pair.floor([&] { benchmark::DoNotOptimize(bench::floorReadAndDecode(vault.path())); });
        state.PauseTiming();
        if (program->main().lstPass->count() != count)
            state.SkipWithError("not every entry was loaded");
        program.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    setCounters(state, count);
}

// The floors alone: the vault's bytes through QSaveFile, without (0) and with (1) the backup's hard link.
void Save_Floor_QSaveFile(benchmark::State &state)
{
    const int count = int(state.range(0));
    const QByteArray &bytes = vaultOf(count).bytes;
    const QTemporaryDir dir;
    const QString path = dir.filePath(u"data.enc"_s);
    bench::floorSave(path, bytes, false);
    for (auto _ : state) {
        if (!bench::floorSave(path, bytes, state.range(1) != 0))
            state.SkipWithError("QSaveFile failed");
    }
    setCounters(state, count);
}

// A save as the main window makes it, beside the floor of the same bytes
// through QSaveFile, without (0) or with (1) the backup's hard link.
void Save_SaveVault(benchmark::State &state)
{
    const int count = int(state.range(0));
    const VaultOnDisk &vault = vaultOf(count);
    // Its own copy of the vault, so the file the load benchmark reads stays as it is.
    const QTemporaryDir dir;
    QFile::copy(vault.path(), dir.filePath(u"data.enc"_s));
    const QTemporaryDir floorDir;
    const QString floorPath = floorDir.filePath(u"data.enc"_s);
    bench::floorSave(floorPath, vault.bytes, false);
    Program program(dir.path());
    modGlobals::LoadEntries(program.context, Master, program.context.session().prepareUnlock(Master));
    {
        bench::BesideFloor pair(state);
        for (auto _ : state) {
            pair.ours([&] {
                if (!modGlobals::SaveVault(program.context, program.main()))
                    state.SkipWithError("SaveVault failed");
            });
            pair.floor([&] {
                if (!bench::floorSave(floorPath, vault.bytes, state.range(1) != 0))
                    state.SkipWithError("QSaveFile failed");
            });
        }
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
    bench::BesideFloor pair(state);
    for (auto _ : state) {
        const qint64 before = heapBytesInUse();
        VaultSession session(vault.path());
        pair.ours([&] {
            if (!session.open() || session.unlock(Master).value() != VaultSession::UnlockOutcome::Unlocked)
                state.SkipWithError("the vault did not open");
        });
        state.PauseTiming();
        memoryPerFileByte = double(heapBytesInUse() - before) / double(vault.bytes.size());
        state.ResumeTiming();
        pair.floor([&] { benchmark::DoNotOptimize(bench::floorReadAndDecode(vault.path())); });
    }
    state.counters["memory_per_file_byte"] = memoryPerFileByte;
    setCounters(state, count);
}

// Resident memory of this process, in bytes: what the system sees it take,
// including what the heap keeps after a free.
qint64 residentBytes()
{
    QFile statm(u"/proc/self/statm"_s);
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readAll().split(' ').value(1).toLongLong() * 4096;
}

// Where the program's memory goes when it unlocks: heap in use and resident
// memory after each step, against the file's size. Steps: the file read and
// parsed (prepareUnlock), the entries taken into the list, the list shown.
void Memory_UnlockSteps(benchmark::State &state)
{
    const int count = int(state.range(0));
    const VaultOnDisk &vault = vaultOf(count, bench::Entries::Short);
    const double fileBytes = double(vault.bytes.size());
    for (auto _ : state) {
        auto program = std::make_unique<Program>(vault.folder.path());
        program->main().show();
        QCoreApplication::processEvents();
#ifdef __GLIBC__
        malloc_trim(0); // what earlier work freed is not counted as taken by the unlock
#endif
        const qint64 heap0 = heapBytesInUse();
        const qint64 resident0 = residentBytes();
        const auto report = [&](const char *step) {
            state.counters[std::string(step) + "_heap"] = double(heapBytesInUse() - heap0) / fileBytes;
            state.counters[std::string(step) + "_rss"] = double(residentBytes() - resident0) / fileBytes;
        };
        Result<VaultSession::Unlocking> prepared = program->context.session().prepareUnlock(Master);
        report("1read");
        modGlobals::LoadEntries(program->context, Master, std::move(prepared));
        report("2model");
        QCoreApplication::processEvents();
        program->main().lstPass->viewport()->repaint();
        report("3shown");
        program.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
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
    bench::BesideFloor pair(state);
    for (auto _ : state) {
        session.lock();
        pair.ours([&] {
            if (session.unlock(Master).value() != VaultSession::UnlockOutcome::Unlocked)
                state.SkipWithError("the vault did not open again");
        });
        pair.floor([&] { benchmark::DoNotOptimize(bench::floorReadAndDecode(vault.path())); });
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
BENCHMARK(Load_Floor_ReadAndDecode)->Arg(32767)->Arg(200000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(Load_SessionUnlock)->Arg(32767)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(Load_UnlockAfterLock)->Arg(32767)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(Memory_UnlockSteps)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Load_LoadEntriesIntoList)->Arg(32767)->Arg(200000)->Unit(benchmark::kMillisecond);
// Saves wait on the disk (QSaveFile syncs before renaming), so they are timed by the clock.
BENCHMARK(Save_Floor_QSaveFile)->ArgsProduct({{32767, 200000}, {0, 1}})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Save_SaveVault)->ArgsProduct({{32767, 200000}, {0, 1}})->Unit(benchmark::kMillisecond)->UseRealTime();
