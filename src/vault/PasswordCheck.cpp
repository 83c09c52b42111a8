#include "PasswordCheck.h"

#include "BreachList.h"
#include "PasswordStrength.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <tuple>

using namespace Qt::StringLiterals;

namespace PasswordCheck {

namespace {

struct Ranked
{
    Finding finding;
    double severity; // within a kind, higher is worse
};

QString breachedReason(quint64 seen)
{
    return seen == 1 ? u"breached: seen 1 time"_s : u"breached: seen %1 times"_s.arg(seen);
}

} // namespace

Result<std::vector<Finding>> run(const std::vector<EntryRow> &rows, const BreachList *breaches, const Progress &progress)
{
    // Each distinct password is looked up and measured once, for all the entries that share it.
    QHash<QStringView, std::vector<int>> sharing;
    for (int row = 0; row < int(rows.size()); ++row)
        sharing[rows[size_t(row)].password()].push_back(row);

    std::vector<Ranked> ranked;
    const auto add = [&ranked](const std::vector<int> &group, Finding::Kind kind, const QString &reason, double severity) {
        for (const int row : group)
            ranked.push_back({{row, kind, reason}, severity});
    };
    qsizetype done = 0;
    for (auto it = sharing.cbegin(); it != sharing.cend(); ++it) {
        const QStringView password = it.key();
        const std::vector<int> &group = it.value();
        if (breaches) {
            const Result<quint64> seen = breaches->timesSeen(password);
            if (!seen)
                return seen.error();
            if (seen.value() > 0)
                add(group, Finding::Kind::Breached, breachedReason(seen.value()), double(seen.value()));
        }
        if (group.size() > 1)
            add(group, Finding::Kind::Reused, u"reused: %1 entries"_s.arg(group.size()), double(group.size()));
        if (const Strength strength = PasswordStrength::of(password); strength.level < Strength::Level::Good)
            add(group, Finding::Kind::Weak, u"weak: %1 bits"_s.arg(int(std::floor(strength.bits))), -strength.bits);
        if (progress && !progress(++done, sharing.size()))
            return Error{u"The check was stopped"_s};
    }

    std::sort(ranked.begin(), ranked.end(), [](const Ranked &a, const Ranked &b) {
        return std::tuple(a.finding.kind, -a.severity, a.finding.row) < std::tuple(b.finding.kind, -b.severity, b.finding.row);
    });
    std::vector<Finding> findings;
    findings.reserve(ranked.size());
    for (Ranked &one : ranked)
        findings.push_back(std::move(one.finding));
    return findings;
}

} // namespace PasswordCheck
