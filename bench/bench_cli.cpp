// keyholder-cli list on a large vault, beside the floor for any reader of it:
// reading the file and deciphering each line to a string, in this program.
#include "vault/ToggleHighBits.h"
#include "vault/VaultFormat.h"
#include "vault/Windows1252.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <map>
#include <memory>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

using namespace Qt::StringLiterals;

namespace {

const QString &Master = bench::BenchMaster;
using bench::setCounters;
using bench::vaultOf;
using bench::VaultOnDisk;

// The processor time of the programs this one started and waited for, in
// seconds: on a busy machine it compares fairer than the time on the clock.
double childProcessorSeconds()
{
#ifdef Q_OS_UNIX
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
            + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
#else
    return 0;
#endif
}

void Cli_Baseline_ReadAndDecipher(benchmark::State &state)
{
    bench::readAndDecipherRounds(state);
}

// The whole program as a user runs it: start, unlock, print every entry.
void Cli_List(benchmark::State &state)
{
    const int count = int(state.range(0));
    const VaultOnDisk &vault = vaultOf(count);
    const double processorBefore = childProcessorSeconds();
    for (auto _ : state) {
        QProcess cli;
        cli.setStandardOutputFile(QProcess::nullDevice());
        cli.start(QStringLiteral(KEYHOLDER_CLI), {u"--vault"_s, vault.path(), u"--password-stdin"_s, u"list"_s});
        cli.write(Master.toUtf8() + '\n');
        cli.closeWriteChannel();
        if (!cli.waitForFinished(-1) || cli.exitCode() != 0)
            state.SkipWithError(qPrintable(u"keyholder-cli failed: "_s + QString::fromUtf8(cli.readAllStandardError())));
    }
    state.counters["cli_cpu_ms"] = benchmark::Counter(
            1000 * (childProcessorSeconds() - processorBefore) / double(state.iterations()));
    setCounters(state, count);
}

} // namespace

BENCHMARK(Cli_Baseline_ReadAndDecipher)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Cli_List)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
