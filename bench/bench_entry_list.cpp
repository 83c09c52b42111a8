// Filling the main window's entry list with 32,767 rows and reading every row
// back in display order, against the same work on a plain std::vector.
#include "ui/main/EntryList.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int Rows = 32767;

std::vector<VaultEntry> makeEntries()
{
    std::vector<VaultEntry> entries;
    entries.reserve(Rows);
    for (int i = 0; i < Rows; ++i)
        entries.push_back({QStringLiteral("user%1").arg(i), QStringLiteral("pass-%1").arg(i * 7),
                           QStringLiteral("www.site%1.example").arg(i % 997)});
    return entries;
}

void BM_EntryListFillAndRead(benchmark::State &state)
{
    const std::vector<VaultEntry> entries = makeEntries();
    for (auto _ : state) {
        QWidget parent;
        EntryListModel model;
        EntryList list(&parent, &model);
        for (const char *header : {"Username", "Password", "Website/Location"})
            list.addColumnHeader(QString::fromLatin1(header), 2000);
        for (const VaultEntry &entry : entries)
            model.add(entry);
        qsizetype characters = 0;
        for (int position = 1; position <= list.count(); ++position) {
            const VaultEntry shown = list.item(position);
            characters += shown.Username.size() + shown.Password.size() + shown.Location.size();
        }
        benchmark::DoNotOptimize(characters);
    }
    state.SetItemsProcessed(state.iterations() * Rows);
}

void BM_VectorFillAndRead(benchmark::State &state)
{
    const std::vector<VaultEntry> entries = makeEntries();
    for (auto _ : state) {
        std::vector<VaultEntry> rows;
        for (const VaultEntry &entry : entries)
            rows.push_back(entry);
        qsizetype characters = 0;
        for (const VaultEntry &row : rows)
            characters += row.Username.size() + row.Password.size() + row.Location.size();
        benchmark::DoNotOptimize(characters);
    }
    state.SetItemsProcessed(state.iterations() * Rows);
}

BENCHMARK(BM_EntryListFillAndRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VectorFillAndRead)->Unit(benchmark::kMillisecond);

} // namespace
