#pragma once

// Lists of breached passwords as the published file has them: the SHA-1 of
// each password in upper-case hex, ':', how often it was seen; sorted by hash.

#include <QByteArray>
#include <QCryptographicHash>
#include <QList>
#include <QString>

#include <algorithm>
#include <utility>

namespace BreachFiles {

using Seen = QList<std::pair<QString, quint64>>;

inline QByteArray sha1Hex(const QString &password)
{
    return QCryptographicHash::hash(password.toUtf8(), QCryptographicHash::Sha1).toHex().toUpper();
}

// One line per password, in the file's order, each ending in eol.
inline QByteArray listOf(const Seen &seen, const QByteArray &eol = "\r\n")
{
    QByteArrayList lines;
    for (const auto &[password, count] : seen)
        lines.append(sha1Hex(password) + ':' + QByteArray::number(count));
    std::sort(lines.begin(), lines.end());
    return lines.join(eol) + eol;
}

// A list of about `lines` made-up hashes in order, but for two lines out of
// order right where password's hash would be: one just above it, then one just
// below. The hash must not end in 00 or FF.
inline QByteArray swappedAround(const QString &password, int lines)
{
    const QByteArray hash = sha1Hex(password);
    const QByteArray above = hash.first(38) + "FF:5", below = hash.first(38) + "00:7";
    QByteArrayList all{above};
    for (int i = 0; i < lines; ++i)
        all.append(QByteArray::number(quint64(i) * (~quint64(0) / quint64(lines)), 16).toUpper().rightJustified(16, '0')
                   + QByteArray(24, '0') + ":1");
    std::sort(all.begin(), all.end());
    all.insert(all.indexOf(above) + 1, below);
    return all.join("\r\n") + "\r\n";
}

} // namespace BreachFiles
