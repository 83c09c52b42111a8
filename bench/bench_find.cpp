// Narrowing a million entries for one keystroke: EntryFind over the list's
// rows, the whole keystroke as the entry list takes it (its filtering model,
// then the control on screen), beside the floor, the same search as a plain
// loop over plain strings.
#include "ui/main/EntryList.h"
#include "ui/main/ShownEntries.h"
#include "vault/EntryFind.h"
#include "vault/EntryListModel.h"

#include <QCoreApplication>

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

// What a keystroke in the find box costs the list: every row checked, the shown rows mapped.
void Find_ShownEntries(benchmark::State &state)
{
    EntryListModel model;
    model.appendRows(bench::makeRows(Count));
    ShownEntries shown(&model);
    for (auto _ : state) {
        shown.setFind(Typed);
        benchmark::DoNotOptimize(shown.rowCount());
        state.PauseTiming();
        shown.setFind({});
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * Count);
}

// The list on screen: a word that keeps every other row or so, so the rows
// hidden make a great many separate runs, and then the find ended.
void Find_InTheShownList(benchmark::State &state)
{
    EntryListModel model;
    model.appendRows(bench::makeShortRows(Count));
    QWidget window;
    EntryList list(&window, &model);
    window.resize(800, 600);
    list.resize(800, 600);
    window.show();
    QCoreApplication::processEvents();
    const QString scattered = state.range(0) ? u"5"_s : Typed;
    for (auto _ : state) {
        list.setFind(scattered);
        list.repaint();
        list.endFind();
        list.repaint();
    }
    list.setFind(scattered);
    state.counters["shown"] = list.model()->rowCount();
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
BENCHMARK(Find_ShownEntries)->Unit(benchmark::kMillisecond);
BENCHMARK(Find_InTheShownList)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
