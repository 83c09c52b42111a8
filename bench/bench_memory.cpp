// Memory of the whole program once the main window is up after unlock, with no
// network: the banner band shows the offline banner and no web engine starts.
// PSS (proportional set size) is summed over this process and every process it
// started, from /proc/*/smaps_rollup. Target: at most 100 MiB.
// Run alone, in a release build: build-rel/bin/bench_memory
#include "ui/base/AppContext.h"
#include "ui/start/Startup.h"
#include "platform/Platform.h"
#include "ui/banner/OfflineBanner.h"
#include "ui/main/Form1.h"
#include "vault/VaultFormat.h"
#include "ui/vault/frmPass.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

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
        // Nothing listens on this port: as without a network, the probe fails at once.
        context.brandingSwitches.BannerUrl = u"https://127.0.0.1:9/software/banners/keyholder.html"_s;
        Startup::showSplash(context);
        waitFor([&] { return context.windows.IsLoaded<frmPass>(); }, 10000);
        frmPass *dialog = context.windows.Find<frmPass>();
        if (!dialog)
            qFatal("the password dialog did not come up");
        dialog->txtPass->setText(Master);
        dialog->cmdOK->click();
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

} // namespace
