#include "ui/passwords/frmPasswordCheck.h"

#include "ui/base/AppContext.h"
#include "ui/base/Controls.h"
#include "ui/base/Twips.h"
#include "ui/skin/modSkin.h"
#include "vault/VaultSession.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTreeWidget>

#include <set>

using namespace Qt::StringLiterals;

namespace {

constexpr int ProgressSteps = 1000;

QString counted(qsizetype count, const QString &one, const QString &many)
{
    return count == 1 ? u"1 "_s + one : u"%1 %2"_s.arg(count).arg(many);
}

} // namespace

frmPasswordCheck::frmPasswordCheck(AppContext &context) : Form(context)
{
    setObjectName(u"frmPasswordCheck"_s);
    setWindowFlags(CaptionAndCloseBox);
    setWindowTitle(u"Password Check"_s);
    setFont(Controls::verdana(8.25));
    setClientSizeTwips(8640, 4920);
    createControls();
}

void frmPasswordCheck::createControls()
{
    QWidget *area = client();
    lblSummary = Controls::label(area, u"lblSummary"_s, QString(), {120, 60, 8400, 480});
    lblSummary->setWordWrap(true);
    lstFindings = new QTreeWidget(area);
    lstFindings->setObjectName(u"lstFindings"_s);
    lstFindings->setAccessibleName(u"Findings"_s);
    Controls::setKind(lstFindings, Controls::Kind::ListView);
    Twips::place(lstFindings, 120, 600, 8400, 3600);
    lstFindings->setHeaderLabels({u"Username"_s, u"Location"_s, u"Reason"_s});
    lstFindings->setRootIsDecorated(false);
    lstFindings->setUniformRowHeights(true);
    lstFindings->setAllColumnsShowFocus(true);
    lstFindings->header()->resizeSection(0, Twips::toPixels(2400));
    lstFindings->header()->resizeSection(1, Twips::toPixels(3120));

    cmdBreachList = Controls::commandButton(area, u"cmdBreachList"_s, u"Check Against a &Breach List\u2026"_s,
                                            {120, 4320, 3000, 420});
    cmdCheckAgain = Controls::commandButton(area, u"cmdCheckAgain"_s, u"Check &Again"_s, {3240, 4320, 1575, 420});
    cmdClose = Controls::commandButton(area, u"cmdClose"_s, u"Close"_s, {7425, 4320, 1095, 420});
    Controls::tabOrder({lstFindings, cmdBreachList, cmdCheckAgain, cmdClose});

    connect(cmdBreachList, &QPushButton::clicked, this, &frmPasswordCheck::cmdBreachList_Click);
    connect(cmdCheckAgain, &QPushButton::clicked, this, &frmPasswordCheck::cmdCheckAgain_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmPasswordCheck::cmdClose_Click);
    connect(lstFindings, &QTreeWidget::itemDoubleClicked, this, &frmPasswordCheck::choose);
}

void frmPasswordCheck::Form_Load()
{
    const QAbstractItemModel *entries = &m_ctx.session().entries();
    connect(entries, &QAbstractItemModel::rowsInserted, this, &frmPasswordCheck::markOutdated);
    connect(entries, &QAbstractItemModel::rowsRemoved, this, &frmPasswordCheck::markOutdated);
    connect(entries, &QAbstractItemModel::dataChanged, this, &frmPasswordCheck::markOutdated);
    connect(entries, &QAbstractItemModel::modelReset, this, &frmPasswordCheck::markOutdated);
    // Sorting moves rows without changing a finding.
    connect(entries, &QAbstractItemModel::layoutChanged, this, [this] { ++m_listChanges; });
    if (m_ctx.branding.UseSkin)
        modSkin::SkinForm(m_ctx, this);
    runCheck(nullptr);
    lstFindings->setFocus();
}

void frmPasswordCheck::cmdBreachList_Click()
{
    const QString path = QFileDialog::getOpenFileName(this, u"Check Against a Breach List"_s, QString(),
                                                      u"Breach lists (*.txt);;All files (*)"_s);
    if (!path.isEmpty())
        checkAgainst(path);
}

void frmPasswordCheck::checkAgainst(const QString &breachListPath)
{
    Result<BreachList> opened = BreachList::open(breachListPath);
    if (!opened) {
        report(opened.message());
        return;
    }
    BreachList breaches = std::move(opened).value();
    if (runCheck(&breaches) == CheckEnd::Done)
        m_breaches = std::move(breaches);
}

void frmPasswordCheck::cmdCheckAgain_Click()
{
    if (runCheck(m_breaches ? &*m_breaches : nullptr) == CheckEnd::ListFailed)
        m_breaches.reset();
}

void frmPasswordCheck::cmdClose_Click()
{
    m_ctx.windows.Unload(this);
}

void frmPasswordCheck::escapePressed()
{
    cmdClose->click();
}

bool frmPasswordCheck::enterPressed()
{
    if (!lstFindings->hasFocus() || !lstFindings->currentItem())
        return false;
    choose(lstFindings->currentItem());
    return true;
}

frmPasswordCheck::CheckEnd frmPasswordCheck::runCheck(const BreachList *breaches)
{
    VaultSession &session = m_ctx.session();
    // A copy: a lock or another program's change may come while the check waits on the disk.
    const std::vector<EntryRow> rows = session.entries().rows();
    const quint64 changesBefore = m_listChanges;
    const QString listName = breaches ? QFileInfo(breaches->path()).fileName() : QString();
    QProgressDialog progress(breaches ? u"Checking passwords against %1\u2026"_s.arg(listName)
                                      : u"Checking passwords\u2026"_s,
                             u"Cancel"_s, 0, ProgressSteps, this);
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(500);
    int shown = 0;
    Result<std::vector<Finding>> findings =
            PasswordCheck::run(rows, breaches, [&](qsizetype done, qsizetype total) {
                const int step = int(done * ProgressSteps / std::max<qsizetype>(total, 1));
                if (step != shown)
                    progress.setValue(shown = step);
                return !progress.wasCanceled() && !session.isLocked();
            });
    progress.reset();
    if (session.isLocked())
        return CheckEnd::Stopped;
    if (!findings && progress.wasCanceled()) {
        lblSummary->setText(u"The check was stopped before the end.  Click Check Again to run it again."_s);
        return CheckEnd::Stopped;
    }
    if (!findings) {
        report(findings.message());
        return CheckEnd::ListFailed;
    }
    const bool listChanged = m_listChanges != changesBefore;
    showFindings(rows, findings.value(), listChanged);
    if (breaches)
        lblSummary->setText(lblSummary->text() + u"  Checked against %1."_s.arg(listName));
    if (listChanged)
        markOutdated();
    return CheckEnd::Done;
}

void frmPasswordCheck::showFindings(const std::vector<EntryRow> &rows, const std::vector<Finding> &findings,
                                    bool listChanged)
{
    const EntryListModel &entries = m_ctx.session().entries();
    lstFindings->clear();
    m_findingEntries.clear();
    for (const Finding &finding : findings) {
        const EntryRow &row = rows.at(size_t(finding.row));
        auto *item = new QTreeWidgetItem(lstFindings, {row.username().toString(), row.location().toString(), finding.reason});
        item->setData(0, Qt::UserRole, qulonglong(m_findingEntries.size()));
        // Rows that moved meanwhile cannot be told apart: such findings lead nowhere.
        m_findingEntries.emplace_back(listChanged ? QModelIndex() : entries.index(finding.row, 0));
    }
    const QString among = counted(qsizetype(rows.size()), u"entry"_s, u"entries"_s);
    if (findings.empty()) {
        lblSummary->setText(u"No weak, reused or breached passwords among %1."_s.arg(among));
        return;
    }
    lstFindings->setCurrentItem(lstFindings->topLevelItem(0));
    std::set<int> entriesFound;
    for (const Finding &finding : findings)
        entriesFound.insert(finding.row);
    lblSummary->setText(u"%1 in %2 of %3, worst first.  Double-click one, or press Enter, to show its entry."_s.arg(
            counted(qsizetype(findings.size()), u"finding"_s, u"findings"_s)).arg(entriesFound.size()).arg(among));
}

void frmPasswordCheck::choose(QTreeWidgetItem *item)
{
    if (!item)
        return;
    const QPersistentModelIndex &entry = m_findingEntries.at(item->data(0, Qt::UserRole).toULongLong());
    if (!entry.isValid()) {
        lblSummary->setText(u"That entry is no longer in the list.  Click Check Again to bring the findings up to date."_s);
        return;
    }
    emit entryChosen(entry.row() + 1);
}

void frmPasswordCheck::markOutdated()
{
    ++m_listChanges;
    lblSummary->setText(u"The entries changed since this check.  Click Check Again to bring it up to date."_s);
}

void frmPasswordCheck::report(const QString &text)
{
    m_ctx.MsgBox(text, platform::MsgButtons::Ok, windowTitle(), platform::MsgIcon::Warning);
}
