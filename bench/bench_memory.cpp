// Memory of the whole program once the main window is up after unlock, with no
// network: the banner band shows the offline banner and no web engine starts.
// PSS (proportional set size) is summed over this process and every process it
// started, from /proc/*/smaps_rollup. Target: at most 100 MiB. And a large
// vault unlocked from the password dialog: its time beside an empty vault's,
// and what it adds to the resident memory against the file's size.
// Run alone, in a release build: build-rel/bin/bench_memory
#include "ui/base/AppContext.h"
#include "ui/start/Startup.h"
#include "platform/Platform.h"
#include "ui/banner/OfflineBanner.h"
#include "ui/main/EntryList.h"
#include "ui/main/Form1.h"
#include "vault/VaultFormat.h"
#include "ui/vault/frmPass.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "BenchSupport.h"

using namespace Qt::StringLiterals;

namespace {

const QString Master = u"master password"_s;

QByteArray statusField(const QString &file, const QByteArray &name)
{
    QFile status(file);
    if (!status.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(name))
            return line.mid(name.size()).simplified();
    }
    return {};
}

// KiB of PSS of this process and all that descend from it.
qint64 programPssKiB()
{
    const qint64 self = QCoreApplication::applicationPid();
    std::map<qint64, qint64> parents;
    const QStringList pids = QDir(u"/proc"_s).entryList({u"[0-9]*"_s}, QDir::Dirs);
    for (const QString &pid : pids)
        parents[pid.toLongLong()] = statusField(u"/proc/%1/status"_s.arg(pid), "PPid:").toLongLong();
    qint64 total = 0;
    for (const auto &[pid, parent] : parents) {
        qint64 ancestor = pid;
        while (ancestor > 1 && ancestor != self)
            ancestor = parents.count(ancestor) ? parents[ancestor] : 0;
        if (ancestor == self)
            total += statusField(u"/proc/%1/smaps_rollup"_s.arg(pid), "Pss:").split(' ').value(0).toLongLong();
    }
    return total;
}

void waitFor(const std::function<bool()> &done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// The program started with no network, up to its password dialog with the password typed.
frmPass *passwordTyped(AppContext &context)
{
    // Nothing listens on this port: as without a network, the probe fails at once.
    context.brandingSwitches.BannerUrl = u"https://127.0.0.1:9/software/banners/keyholder.html"_s;
    Startup::showSplash(context);
    waitFor([&] { return context.windows.IsLoaded<frmPass>(); }, 10000);
    frmPass *dialog = context.windows.Find<frmPass>();
    if (!dialog)
        qFatal("the password dialog did not come up");
    dialog->txtPass->setText(Master);
    return dialog;
}

void BM_PssAfterUnlockOffline(benchmark::State &state)
{
    for (auto _ : state) {
        QTemporaryDir folder;
        QFile vault(folder.filePath(u"data.enc"_s));
        std::vector<EntryRow> rows;
        for (int i = 0; i < 50; ++i)
            rows.emplace_back(VaultEntry{u"user%1"_s.arg(i), u"password-%1"_s.arg(i), u"www.example%1.com"_s.arg(i)});
        if (!vault.open(QIODevice::WriteOnly) || vault.write(VaultFormat::serialize(Master, rows)) < 0)
            qFatal("cannot write the benchmark vault");
        vault.close();

        bench::QuietPlatform platform(folder.path(), true);
        AppContext context(platform);
        passwordTyped(context)->cmdOK->click();
        waitFor([&] {
            const Form1 *main = context.windows.Find<Form1>();
            const auto *offline = main ? main->findChild<OfflineBanner *>() : nullptr;
            return offline && offline->isVisible();
        }, 10000);
        waitFor([] { return false; }, 1000); // let the window settle
        state.counters["pss_MiB"] = double(programPssKiB()) / 1024.0;
        context.windows.EndProgram();
    }
}
BENCHMARK(BM_PssAfterUnlockOffline)->Iterations(1)->Unit(benchmark::kMillisecond);

qint64 residentKiB()
{
    return statusField(u"/proc/self/status"_s, "VmRSS:").split(' ').value(0).toLongLong();
}

struct Unlocked
{
    double seconds = 0;
    qint64 residentGrowthKiB = 0;
};

// The program as a user meets it: the password typed, then from Enter until
// the main window is up with every entry in its list, painted. Also how much
// resident memory the process gained from the password dialog to then.
Unlocked unlockThroughDialog(const QString &folder, int count)
{
    bench::QuietPlatform platform(folder, true);
    AppContext context(platform);
    frmPass *dialog = passwordTyped(context);
    QCoreApplication::processEvents();
#ifdef __GLIBC__
    malloc_trim(0); // what earlier work freed is not counted as taken by the unlock
#endif
    const qint64 before = residentKiB();
    QElapsedTimer elapsed;
    elapsed.start();
    dialog->cmdOK->click();
    Form1 *main = nullptr;
    while (true) {
        main = context.windows.Find<Form1>();
        const auto *offline = main ? main->findChild<OfflineBanner *>() : nullptr;
        if (!context.windows.IsLoaded<frmPass>() && main && main->isVisible() && main->lstPass->count() == count
            && offline && offline->isVisible())
            break;
        if (elapsed.elapsed() > 60000)
            qFatal("the main window did not come up with every entry");
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    main->repaint();
    const Unlocked unlocked{double(elapsed.nsecsElapsed()) / 1e9, residentKiB() - before};
    context.windows.EndProgram();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return unlocked;
}

// Unlocking a vault of state.range(0) entries beside an empty one, in turn,
// from Enter to the main window: the time of each, the ratio of the pair, and
// the memory the large vault added against its file's size; and its time
// against the floor of reading and decoding the same file.
void Unlock_EnterToMainWindow(benchmark::State &state)
{
    const int count = int(state.range(0));
    const bench::VaultOnDisk &large = bench::vaultOf(count, bench::Entries::Short);
    const bench::VaultOnDisk &empty = bench::vaultOf(0, bench::Entries::Short);
    std::vector<double> ratios, floorRatios, largeSeconds, emptySeconds, growth;
    for (auto _ : state) {
        const Unlocked small = unlockThroughDialog(empty.folder.path(), 0);
        const Unlocked big = unlockThroughDialog(large.folder.path(), count);
        QElapsedTimer floor;
        floor.start();
        benchmark::DoNotOptimize(bench::floorReadAndDecode(large.path()));
        emptySeconds.push_back(small.seconds);
        largeSeconds.push_back(big.seconds);
        ratios.push_back(big.seconds / small.seconds);
        floorRatios.push_back(big.seconds / (double(floor.nsecsElapsed()) / 1e9));
        growth.push_back(double(big.residentGrowthKiB) * 1024 / double(large.bytes.size()));
    }
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    };
    // A user unlocks once a process: the first round meets memory the process
    // never touched, which on a virtual machine costs far more than later rounds.
    state.counters["first_ms"] = largeSeconds.front() * 1e3;
    state.counters["ms"] = median(largeSeconds) * 1e3;
    state.counters["empty_ms"] = median(emptySeconds) * 1e3;
    state.counters["x_empty"] = median(ratios);
    state.counters["x_empty_max"] = *std::max_element(ratios.begin(), ratios.end());
    state.counters["x_floor"] = median(floorRatios);
    state.counters["rss_per_file_byte"] = median(growth);
}
BENCHMARK(Unlock_EnterToMainWindow)->Arg(1000000)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
