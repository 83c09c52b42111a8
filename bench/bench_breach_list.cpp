// keyholder-cli check --breached, in the core: 1,000 passwords looked up in a
// made-up list of 200,000 and of 2,000,000 lines (written once per run), and
// the memory that takes. The list is mapped, never read, so neither the heap
// nor the anonymous memory may grow with the list: only the file's own pages,
// shared and given back under pressure, are touched, about log2(lines) a look-up.
// Run alone, in a release build: build-rel/bench/bin/bench_breach_list
#include "vault/BreachList.h"
#include "vault/EntryRow.h"
#include "vault/PasswordCheck.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <malloc.h>
#include <map>
#include <random>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int Checked = 1000;

// Half of the checked passwords are in the list.
QString checkedPassword(int i)
{
    return u"checked-password-%1"_s.arg(i);
}

// A list of `lines` lines, sorted by hash, CR LF, as published: random hashes and the checked half.
const QString &breachListOf(int lines)
{
    static QTemporaryDir folder;
    static std::map<int, QString> files;
    QString &path = files[lines];
    if (!path.isEmpty())
        return path;
    std::vector<std::array<uchar, 20>> hashes(static_cast<size_t>(lines));
    std::mt19937_64 random(lines);
    for (auto &hash : hashes) {
        for (uchar &byte : hash)
            byte = uchar(random());
    }
    for (int i = 0; i < Checked / 2; ++i) {
        const QByteArray sha1 = QCryptographicHash::hash(checkedPassword(i).toUtf8(), QCryptographicHash::Sha1);
        std::copy(sha1.cbegin(), sha1.cend(), hashes[size_t(i)].begin());
    }
    std::sort(hashes.begin(), hashes.end());
    path = folder.filePath(u"breached-%1.txt"_s.arg(lines));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write the benchmark breach list");
    QByteArray chunk;
    for (size_t i = 0; i < hashes.size(); ++i) {
        chunk += QByteArray(reinterpret_cast<const char *>(hashes[i].data()), 20).toHex().toUpper() + ':' + QByteArray::number(i % 9999 + 1) + "\r\n";
        if (chunk.size() > (1 << 20) || i + 1 == hashes.size()) {
            file.write(chunk);
            chunk.clear();
        }
    }
    return path;
}

const std::vector<EntryRow> &checkedRows()
{
    static const std::vector<EntryRow> rows = [] {
        std::vector<EntryRow> made;
        for (int i = 0; i < Checked; ++i)
            made.emplace_back(VaultEntry{u"user%1"_s.arg(i), checkedPassword(i), u"https://site%1.example.com"_s.arg(i)});
        return made;
    }();
    return rows;
}

qint64 statusKiB(const QByteArray &field)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).simplified().split(' ').value(0).toLongLong();
    }
    return 0;
}

long minorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt + usage.ru_majflt;
}

BreachList openList(benchmark::State &state, int lines)
{
    Result<BreachList> list = BreachList::open(breachListOf(lines));
    if (!list)
        state.SkipWithError(qPrintable(list.message()));
    return std::move(list).value();
}

// Opening: the order check reads a few hundred sampled lines.
void Breach_Open(benchmark::State &state)
{
    const int lines = int(state.range(0));
    breachListOf(lines);
    for (auto _ : state)
        benchmark::DoNotOptimize(openList(state, lines));
}

// The look-ups alone, and what the first round of them cost the process: heap,
// anonymous memory, and page faults on a freshly mapped list (each fault maps
// the kernel's fault-around window, 64 KiB by default, so it counts windows, not pages).
void Breach_1000Lookups(benchmark::State &state)
{
    const int lines = int(state.range(0));
    breachListOf(lines);
    checkedRows();
    const size_t heapBefore = mallinfo2().uordblks;
    const qint64 anonBefore = statusKiB("RssAnon:");
    const long faultsBefore = minorFaults();
    const BreachList list = openList(state, lines);
    quint64 found = 0;
    for (const EntryRow &row : checkedRows())
        found += list.timesSeen(row.password()).value() > 0;
    state.counters["faults_per_lookup"] = double(minorFaults() - faultsBefore) / Checked;
    state.counters["heap_growth_KiB"] = (double(mallinfo2().uordblks) - double(heapBefore)) / 1024;
    state.counters["anon_growth_KiB"] = double(statusKiB("RssAnon:") - anonBefore);
    state.counters["found"] = double(found);
    for (auto _ : state) {
        for (const EntryRow &row : checkedRows())
            benchmark::DoNotOptimize(list.timesSeen(row.password()));
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * Checked);
}

// What check does: each password measured by zxcvbn, compared with the others, and looked up.
void Breach_Check1000Entries(benchmark::State &state)
{
    const BreachList list = openList(state, int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(PasswordCheck::run(checkedRows(), &list));
    state.SetItemsProcessed(int64_t(state.iterations()) * Checked);
}

} // namespace

BENCHMARK(Breach_Open)->Arg(200000)->Arg(2000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(Breach_1000Lookups)->Arg(200000)->Arg(2000000)->Unit(benchmark::kMillisecond);
BENCHMARK(Breach_Check1000Entries)->Arg(200000)->Arg(2000000)->Unit(benchmark::kMillisecond);
