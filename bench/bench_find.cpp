// Narrowing a million entries for one keystroke: EntryFind over the list's
// rows, beside the floor, the same search as a plain loop over plain strings.
#include "vault/EntryFind.h"
#include "vault/EntryListModel.h"

#include <benchmark/benchmark.h>

#include "BenchSupport.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int Count = 1000000;
// In a hundred or so locations and no username, so both fields of nearly every row are searched.
const QString Typed = u"LOGIN/4242"_s;

void Find_EntryFind(benchmark::State &state)
{
    EntryListModel model;
    model.appendRows(bench::makeRows(Count));
    for (auto _ : state) {
        const EntryFind find(Typed);
        int kept = 0;
        for (const EntryRow &row : model.rows())
            kept += find.matches(row) ? 1 : 0;
        benchmark::DoNotOptimize(kept);
    }
    state.SetItemsProcessed(state.iterations() * Count);
}

void Find_Floor_PlainLoop(benchmark::State &state)
{
    std::vector<QString> usernames, locations;
    usernames.reserve(Count);
    locations.reserve(Count);
    for (const EntryRow &row : bench::makeRows(Count)) {
        usernames.push_back(row.username().toString());
        locations.push_back(row.location().toString());
    }
    for (auto _ : state) {
        int kept = 0;
        for (size_t i = 0; i < usernames.size(); ++i)
            kept += QStringView(usernames[i]).contains(Typed, Qt::CaseInsensitive)
                            || QStringView(locations[i]).contains(Typed, Qt::CaseInsensitive)
                    ? 1 : 0;
        benchmark::DoNotOptimize(kept);
    }
    state.SetItemsProcessed(state.iterations() * Count);
}

} // namespace

BENCHMARK(Find_Floor_PlainLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(Find_EntryFind)->Unit(benchmark::kMillisecond);
