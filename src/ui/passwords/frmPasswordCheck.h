#pragma once

#include "ui/base/Form.h"
#include "vault/BreachList.h"
#include "vault/PasswordCheck.h"

#include <QPersistentModelIndex>

#include <optional>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// "Password Check": the entries whose passwords are weak, reused or, against a
// chosen breach list, breached; worst first. Choosing one shows its entry in
// the main list.
class frmPasswordCheck : public Form
{
    Q_OBJECT

public:
    explicit frmPasswordCheck(AppContext &context);

    void Form_Load() override;

    // Asks for a breach list, then checks against it.
    void cmdBreachList_Click();
    void cmdCheckAgain_Click();
    void cmdClose_Click();
    // Checks against the breach list at this path; a list that cannot be
    // trusted is reported and the findings stay as they were.
    void checkAgainst(const QString &breachListPath);

    QLabel *lblSummary = nullptr;
    QTreeWidget *lstFindings = nullptr;
    QPushButton *cmdBreachList = nullptr;
    QPushButton *cmdCheckAgain = nullptr;
    QPushButton *cmdClose = nullptr;

signals:
    // The entry at this 1-based position in the main list was chosen.
    void entryChosen(int position);

protected:
    void escapePressed() override;
    // Enter on a finding chooses it.
    bool enterPressed() override;

private:
    void createControls();
    // A breach list that failed is reported; one stopped by Cancel or a lock is not its fault.
    enum class CheckEnd { Done, Stopped, ListFailed };
    CheckEnd runCheck(const BreachList *breaches);
    // The rows are those checked; the list may have changed since, as listChanged says.
    void showFindings(const std::vector<EntryRow> &rows, const std::vector<Finding> &findings, bool listChanged);
    void choose(QTreeWidgetItem *item);
    void markOutdated();
    void report(const QString &text);

    std::optional<BreachList> m_breaches;
    // The entry of each finding, wherever the list moves it.
    std::vector<QPersistentModelIndex> m_findingEntries;
    // Counts every change of the main list, to learn whether one came during a check.
    quint64 m_listChanges = 0;
};
