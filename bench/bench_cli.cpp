// keyholder-cli list and add on a large vault, each beside the floor for any
// reader of it: vault_floor, a plain program that reads the file and prints
// "username TAB location" per entry; the same work in this process alone; and
// keyholder-cli import of a large export, with its peak memory.
#include "vault/VaultFormat.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <algorithm>
#include <map>
#include <memory>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
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

// The floor in this process: the vault read and printed as UTF-8 lines into one buffer.
void Cli_Floor_ListUtf8(benchmark::State &state)
{
    const int count = int(state.range(0));
    const VaultOnDisk &vault = vaultOf(count, bench::Entries::Short);
    const QByteArray path = QFile::encodeName(vault.path());
    for (auto _ : state) {
        std::string out;
        size_t printed = 0;
        floors::listUtf8(floors::readFile(path.constData()), out, size_t(1) << 20, [&](std::string &block) {
            printed += block.size();
            block.clear();
        });
        benchmark::DoNotOptimize(printed);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * vault.bytes.size());
}

// Runs a program to the end, its output thrown away; false when it failed.
bool runQuietly(const QString &program, const QStringList &arguments, const QByteArray &input = {})
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool runFloor(const QString &vault)
{
    return runQuietly(QStringLiteral(VAULT_FLOOR), {u"list"_s, vault});
}

// The whole program as a user runs it: start, unlock, print every entry;
// beside vault_floor list of the same file, in turn.
void Cli_List(benchmark::State &state)
{
    const int count = int(state.range(0));
    const VaultOnDisk &vault = vaultOf(count, bench::Entries::Short);
    const double processorBefore = childProcessorSeconds();
    {
        bench::BesideFloor pair(state);
        for (auto _ : state) {
            pair.ours([&] {
                if (!runQuietly(QStringLiteral(KEYHOLDER_CLI),
                                {u"--vault"_s, vault.path(), u"--password-stdin"_s, u"list"_s}, Master.toUtf8() + '\n'))
                    state.SkipWithError("keyholder-cli list failed");
            });
            pair.floor([&] {
                if (!runFloor(vault.path()))
                    state.SkipWithError("vault_floor failed");
            });
        }
    }
    state.counters["cpu_ms_both"] = benchmark::Counter(
            1000 * (childProcessorSeconds() - processorBefore) / double(state.iterations()));
    setCounters(state, count, bench::Entries::Short);
}

// keyholder-cli add on a copy of the vault: read, add one entry, save with
// the backup; beside vault_floor list of the same file.
void Cli_Add(benchmark::State &state)
{
    const int count = int(state.range(0));
    const VaultOnDisk &vault = vaultOf(count, bench::Entries::Short);
    const QTemporaryDir dir;
    const QString copy = dir.filePath(u"data.enc"_s);
    bench::BesideFloor pair(state);
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(copy);
        QFile::remove(copy + u".bak"_s);
        QFile::copy(vault.path(), copy);
        state.ResumeTiming();
        pair.ours([&] {
            if (!runQuietly(QStringLiteral(KEYHOLDER_CLI),
                            {u"--vault"_s, copy, u"--password-stdin"_s, u"add"_s, u"anna"_s, u"example.com"_s},
                            Master.toUtf8() + "\nsecret\n"))
                state.SkipWithError("keyholder-cli add failed");
        });
        pair.floor([&] {
            if (!runFloor(vault.path()))
                state.SkipWithError("vault_floor failed");
        });
    }
    setCounters(state, count, bench::Entries::Short);
}

// A Chrome export of count rows, written once for the whole run: about 80 bytes a row.
const QString &chromeExportOf(int count)
{
    static QTemporaryDir folder;
    static std::map<int, QString> files;
    QString &path = files[count];
    if (path.isEmpty()) {
        path = folder.filePath(u"chrome-%1.csv"_s.arg(count));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write the benchmark export");
        file.write("name,url,username,password,note\n");
        for (int i = 0; i < count; ++i)
            file.write(u"Site %1,https://site%1.example.com/,user%1@mail.example,%2,\n"_s.arg(i).arg(
                    QString::number(quint64(i) * 2654435761u % 281474976710656u, 16).rightJustified(12, u'0')).toUtf8());
    }
    return path;
}

struct Finished
{
    int status = -1;
    qint64 peakKiB = 0;
};

// Runs a program with input on its standard input and no output, and reports
// its own peak resident memory, which QProcess cannot tell.
Finished runMeasured(const QStringList &command, const QByteArray &input)
{
#ifdef Q_OS_UNIX
    // Made before the fork: the child may only call exec.
    std::vector<QByteArray> words;
    for (const QString &word : command)
        words.push_back(QFile::encodeName(word));
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    int toChild[2];
    if (pipe(toChild) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        dup2(toChild[0], STDIN_FILENO);
        close(toChild[1]);
        const int devNull = ::open("/dev/null", O_WRONLY);
        dup2(devNull, STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(toChild[0]);
    const ssize_t written = ::write(toChild[1], input.constData(), size_t(input.size()));
    close(toChild[1]);
    int status = 0;
    rusage usage{};
    if (child < 0 || written != input.size() || wait4(child, &status, 0, &usage) != child)
        return {};
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, qint64(usage.ru_maxrss)};
#else
    Q_UNUSED(command);
    Q_UNUSED(input);
    return {};
#endif
}

// keyholder-cli import of a Chrome export into an empty vault: time, and the
// process's peak memory against the export's size (the target is under 4x).
void Cli_Import(benchmark::State &state)
{
    const int count = int(state.range(0));
    const QString &csv = chromeExportOf(count);
    const double csvMiB = double(QFileInfo(csv).size()) / double(1 << 20);
    qint64 peakKiB = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir folder;
        const QString vault = folder.filePath(u"data.enc"_s);
        const QStringList cli{QStringLiteral(KEYHOLDER_CLI), u"--vault"_s, vault, u"--password-stdin"_s};
        if (runMeasured(cli + QStringList{u"create"_s}, Master.toUtf8() + '\n').status != 0)
            state.SkipWithError("create failed");
        state.ResumeTiming();
        const Finished imported = runMeasured(cli + QStringList{u"import"_s, csv}, Master.toUtf8() + '\n');
        if (imported.status != 0)
            state.SkipWithError("import failed");
        peakKiB = std::max(peakKiB, imported.peakKiB);
    }
    state.counters["csv_MiB"] = csvMiB;
    state.counters["peak_MiB"] = double(peakKiB) / 1024;
    state.counters["peak_per_csv_byte"] = double(peakKiB) / 1024 / csvMiB;
    state.SetItemsProcessed(int64_t(state.iterations()) * count);
}

} // namespace

BENCHMARK(Cli_Floor_ListUtf8)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Cli_List)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Cli_Add)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Cli_Import)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
