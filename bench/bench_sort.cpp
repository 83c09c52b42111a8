// Sorting the entry list by a column header click, beside sorting the same
// texts in a std::vector with the same collator; and adding one entry to a
// sorted list through the editor, save included.
#include "ui/base/AppContext.h"
#include "ui/main/EntryList.h"
#include "ui/main/Form1.h"
#include "ui/main/frmAdd.h"
#include "ui/main/modListViewEnh.h"
#include "ui/vault/frmPass.h"

#include <QApplication>
#include <QCollator>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <algorithm>

namespace {

constexpr int Rows = 32767;

QString randomText(QRandomGenerator &random, int minLength, int maxLength)
{
    static const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyz"
                                                  "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .-_éü");
    const int length = random.bounded(minLength, maxLength + 1);
    QString text;
    text.reserve(length);
    for (int i = 0; i < length; ++i)
        text += letters.at(random.bounded(static_cast<int>(letters.size())));
    return text;
}

// Texts in no particular order for any column, the same on every run.
const std::vector<EntryRow> &rows()
{
    static const std::vector<EntryRow> all = [] {
        QRandomGenerator random(20261208);
        std::vector<EntryRow> made;
        made.reserve(Rows);
        for (int i = 0; i < Rows; ++i)
            made.emplace_back(VaultEntry{randomText(random, 4, 16), randomText(random, 8, 20),
                                         QStringLiteral("www.") + randomText(random, 3, 24)
                                                 + QStringLiteral(".example")});
        return made;
    }();
    return all;
}

// The list over entries of its own: sorting needs no vault. The entries outlive the list.
struct UnsortedList
{
    explicit UnsortedList(QWidget &parent) : list(&parent, &entries)
    {
        for (const char *header : {"Username", "Password", "Website/Location"})
            list.addColumnHeader(QString::fromLatin1(header), 2000);
        entries.appendRows(rows());
    }
    EntryListModel entries;
    EntryList list;
};

void BM_SortByHeaderClick(benchmark::State &state)
{
    const int column = static_cast<int>(state.range(0));
    bench::QuietPlatform platform({}, false, platform::MsgResult::Ok);
    AppContext context(platform);
    QWidget parent;
    for (auto _ : state) {
        state.PauseTiming();
        auto unsorted = std::make_unique<UnsortedList>(parent);
        state.ResumeTiming();
        modListViewEnh::EnhListView_SortColumns(unsorted->list, column, false, context);
        state.PauseTiming();
        unsorted.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * Rows);
}

// The floor: the same texts, the same kind of collator, a plain vector.
void BM_SortVectorWithCollator(benchmark::State &state)
{
    const int column = static_cast<int>(state.range(0));
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QString> texts;
    for (const EntryRow &row : rows())
        texts.push_back(row.field(column - 1).toString());
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<QString> sorted = texts;
        state.ResumeTiming();
        // Descending, as the first header click sorts.
        std::sort(sorted.begin(), sorted.end(),
                  [&](const QString &a, const QString &b) { return collator.compare(a, b) > 0; });
        benchmark::DoNotOptimize(sorted.data());
    }
    state.SetItemsProcessed(state.iterations() * Rows);
}

// The main window over a vault of Rows entries, sorted by username, the
// password dialog behind it.
Form1 *openMainWindow(AppContext &context)
{
    Form1 *main = context.windows.Load<Form1>();
    // The master password is created as a user does it, through the dialog.
    frmPass *dialog = context.windows.Find<frmPass>();
    dialog->txtPass->setText(QStringLiteral("bench master"));
    dialog->txtPass2->setText(QStringLiteral("bench master"));
    dialog->cmdOK_Click();
    if (!context.session().addAll(rows()))
        qFatal("cannot fill the benchmark vault");
    modListViewEnh::EnhListView_SortColumns(*main->lstPass, 1, false, context);
    main->show();
    QCoreApplication::processEvents();
    return main;
}

void BM_AddToSortedListAndSave(benchmark::State &state)
{
    bench::QuietPlatform platform({}, false, platform::MsgResult::Ok);
    AppContext context(platform);
    Form1 *main = openMainWindow(context);
    const VaultEntry added{QStringLiteral("Mid-list user"), QStringLiteral("new password"),
                           QStringLiteral("www.added.example")};
    for (auto _ : state) {
        state.PauseTiming();
        main->cmdAdd_Click(0);
        frmAdd *editor = context.windows.Find<frmAdd>();
        editor->txtUsername->setText(added.Username);
        editor->txtPassword->setText(added.Password);
        editor->txtWebsite->setText(added.Location);
        state.ResumeTiming();

        editor->cmdAdd_Click(); // adds at its sorted place, saves, reports, closes

        state.PauseTiming();
        EntryList &list = *main->lstPass;
        for (int position = 1; position <= list.count(); ++position) {
            if (list.item(position) == added) {
                if (!context.session().remove(position - 1))
                    state.SkipWithError("the added entry could not be deleted");
                break;
            }
        }
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    if (main->lstPass->count() != Rows)
        state.SkipWithError("the list did not keep its size");
}

BENCHMARK(BM_SortByHeaderClick)->DenseRange(1, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortVectorWithCollator)->DenseRange(1, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddToSortedListAndSave)->Unit(benchmark::kMillisecond);

} // namespace
