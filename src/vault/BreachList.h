#pragma once

#include "Result.h"

#include <QString>
#include <QStringView>

#include <memory>

class QFile;

// A local list of breached passwords in the published form: one line per
// password, its SHA-1 in hex (40 digits, either case), ':', how often it was
// seen; lines sorted by hash, ending in LF or CR LF. The file may be tens of
// gigabytes, so it is never read whole: it is mapped, and each look-up is a
// binary search that reads about log2(lines) lines.
//
// Lines of another form are stepped over. Order is what the search relies on,
// and it cannot be proven without reading everything, so it is checked where it
// is cheap: the whole file when it is small, otherwise lines sampled evenly at
// open, and on every look-up the lines the search compares and their
// neighbours at the point where it ends. Disorder met anywhere is an error.
class BreachList
{
public:
    static Result<BreachList> open(const QString &path);

    BreachList(BreachList &&) noexcept;
    BreachList &operator=(BreachList &&) noexcept;
    ~BreachList();

    // How often the password was seen; 0 when it is not in the list.
    Result<quint64> timesSeen(QStringView password) const;
    const QString &path() const { return m_path; }

private:
    struct Line;
    class Lines;
    BreachList(QString path, std::unique_ptr<QFile> file, const uchar *data, qint64 size);

    Result<void> checkOrder() const;
    Error notSorted() const;
    Error notABreachList() const;

    QString m_path;
    std::unique_ptr<QFile> m_file; // keeps the mapping alive
    const uchar *m_data = nullptr;
    qint64 m_size = 0;
};
