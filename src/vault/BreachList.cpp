#include "BreachList.h"

#include "Wipe.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <cstring>
#include <limits>
#include <optional>

#ifdef Q_OS_UNIX
#include <sys/mman.h>
#endif

using namespace Qt::StringLiterals;

namespace {

using Digest = std::array<uchar, 20>;

constexpr qint64 HashDigits = 40;
constexpr int MaxCountDigits = 20; // 2^64 - 1
// A run of bytes this long with no valid line in it is not a breach list: a
// wrong file (an archive, say) is refused at once, not scanned to its end.
constexpr qint64 GarbageLimit = qint64(1) << 20;
// Up to this size the whole file is checked for order at open; beyond it,
// OpenSamples evenly spread pairs of lines are, so opening costs a few hundred
// page reads however large the file.
constexpr qint64 WholeCheckLimit = qint64(1) << 20;
constexpr int OpenSamples = 256;

int hexValue(uchar c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

Digest sha1Of(QStringView password)
{
    QByteArray utf8 = password.toUtf8();
    const QByteArray hash = QCryptographicHash::hash(utf8, QCryptographicHash::Sha1);
    Wipe::bytes(utf8);
    Digest digest{};
    std::memcpy(digest.data(), hash.constData(), digest.size());
    return digest;
}

} // namespace

struct BreachList::Line
{
    qint64 begin = 0;
    qint64 end = 0; // past its LF, or the end of the file
    Digest hash{};
    quint64 count = 0;
};

// The lines of the mapped file, found by scanning from any byte.
class BreachList::Lines
{
public:
    explicit Lines(const BreachList &list) : m_list(list), m_data(list.m_data), m_size(list.m_size) {}

    // Where the line holding offset begins, not before notBefore (itself a line's start).
    qint64 startOf(qint64 offset, qint64 notBefore) const
    {
        const qint64 from = std::max(notBefore, offset - GarbageLimit);
        const QByteArrayView window(m_data + from, offset - from);
        const qsizetype newline = window.lastIndexOf('\n');
        // No LF within the limit: a line far too long to be valid, entered anywhere.
        return newline < 0 ? from : from + newline + 1;
    }

    // The first valid line beginning in [from, before); none when there is only garbage.
    Result<std::optional<Line>> firstFrom(qint64 from, qint64 before) const
    {
        for (qint64 at = from; at < before;) {
            const qint64 end = endOf(at);
            if (std::optional<Line> line = parse(at, end))
                return line;
            if (end - from > GarbageLimit)
                return m_list.notABreachList();
            at = end;
        }
        return std::optional<Line>();
    }

    // The last valid line beginning before `before`, looked for within the garbage limit.
    std::optional<Line> lastBefore(qint64 before) const
    {
        for (qint64 at = before; at > 0 && before - at <= GarbageLimit;) {
            at = startOf(at - 1, 0);
            if (std::optional<Line> line = parse(at, endOf(at)))
                return line;
        }
        return std::nullopt;
    }

private:
    qint64 endOf(qint64 begin) const
    {
        const qint64 limit = std::min(m_size - begin, GarbageLimit + 1);
        const void *newline = std::memchr(m_data + begin, '\n', size_t(limit));
        return newline ? static_cast<const uchar *>(newline) - m_data + 1 : begin + limit;
    }

    // HASH:COUNT, with CR LF, LF or nothing after it.
    std::optional<Line> parse(qint64 begin, qint64 end) const
    {
        qint64 last = end;
        if (last > begin && m_data[last - 1] == '\n')
            --last;
        if (last > begin && m_data[last - 1] == '\r')
            --last;
        const uchar *text = m_data + begin;
        const qint64 digits = last - begin - HashDigits - 1;
        if (digits < 1 || digits > MaxCountDigits || text[HashDigits] != ':')
            return std::nullopt;
        Line line{begin, end, {}, 0};
        for (qsizetype i = 0; i < qsizetype(line.hash.size()); ++i) {
            const int high = hexValue(text[2 * i]), low = hexValue(text[2 * i + 1]);
            if (high < 0 || low < 0)
                return std::nullopt;
            line.hash[size_t(i)] = uchar(high << 4 | low);
        }
        for (const uchar *c = text + HashDigits + 1; c < m_data + last; ++c) {
            const quint64 digit = quint64(*c - '0');
            if (*c < '0' || *c > '9' || line.count > (std::numeric_limits<quint64>::max() - digit) / 10)
                return std::nullopt;
            line.count = line.count * 10 + digit;
        }
        return line;
    }

    const BreachList &m_list;
    const uchar *m_data;
    qint64 m_size;
};

BreachList::BreachList(QString path, std::unique_ptr<QFile> file, const uchar *data, qint64 size)
    : m_path(std::move(path)), m_file(std::move(file)), m_data(data), m_size(size)
{
}

BreachList::BreachList(BreachList &&) noexcept = default;
BreachList &BreachList::operator=(BreachList &&) noexcept = default;
BreachList::~BreachList() = default;

Result<BreachList> BreachList::open(const QString &path)
{
    const QString name = QDir::toNativeSeparators(path);
    // A pipe or a device would block or never end.
    if (const QFileInfo info(path); info.exists() && !info.isFile())
        return Error{u"The breach list \"%1\" is not a regular file"_s.arg(name)};
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        return Error{u"Could not open the breach list \"%1\": %2"_s.arg(name, file->errorString())};
    const qint64 size = file->size();
    uchar *data = size > 0 ? file->map(0, size) : nullptr;
    if (size > 0 && !data)
        return Error{u"Could not read the breach list \"%1\": %2"_s.arg(name, file->errorString())};
#ifdef Q_OS_UNIX
    // A search jumps about the file: reading ahead of each line it reads would only fill the cache.
    if (data)
        posix_madvise(data, size_t(size), POSIX_MADV_RANDOM);
#endif
    BreachList list(path, std::move(file), data, size);
    if (Result<void> ordered = list.checkOrder(); !ordered)
        return ordered.error();
    return list;
}

// Lines are visited in file order, each compared with the one visited before.
Result<void> BreachList::checkOrder() const
{
    const Lines lines(*this);
    std::optional<Digest> previous;
    qint64 position = 0; // where the next visit may begin: past the last line visited
    const auto visit = [&](qint64 from) -> Result<void> {
        const Result<std::optional<Line>> found = lines.firstFrom(std::max(from, position), m_size);
        if (!found)
            return found.error();
        const std::optional<Line> &line = found.value();
        if (!line) {
            position = m_size;
            return {};
        }
        if (previous && line->hash < *previous)
            return notSorted();
        previous = line->hash;
        position = line->end;
        return {};
    };
    if (m_size <= WholeCheckLimit) {
        while (position < m_size) {
            if (Result<void> visited = visit(position); !visited)
                return visited;
        }
    } else {
        for (int i = 0; i <= OpenSamples; ++i) {
            const qint64 offset = std::min(m_size - 1, m_size / OpenSamples * i);
            // The sampled line, then the one after it.
            if (Result<void> visited = visit(lines.startOf(offset, 0)); !visited)
                return visited;
            if (Result<void> visited = visit(position); !visited)
                return visited;
        }
    }
    if (!previous)
        return notABreachList();
    return {};
}

Result<quint64> BreachList::timesSeen(QStringView password) const
{
    const Digest key = sha1Of(password);
    const Lines lines(*this);
    // Every line compared must lie between the nearest ones known below and above the key.
    std::optional<Line> below, above;
    qint64 low = 0, high = m_size; // line starts
    while (low < high) {
        const qint64 start = lines.startOf(low + (high - low) / 2, low);
        const Result<std::optional<Line>> found = lines.firstFrom(start, high);
        if (!found)
            return found.error();
        const std::optional<Line> &line = found.value();
        if (!line) {
            high = start; // only garbage from there on
            continue;
        }
        if ((below && line->hash < below->hash) || (above && above->hash < line->hash))
            return notSorted();
        if (line->hash == key)
            return line->count;
        if (line->hash < key) {
            below = line;
            low = line->end;
        } else {
            above = line;
            high = line->begin;
        }
    }
    // Where the search ended, the lines beyond the two it stopped between must keep the order too.
    if (above) {
        const Result<std::optional<Line>> next = lines.firstFrom(above->end, m_size);
        if (!next)
            return next.error();
        if (next.value() && next.value()->hash < above->hash)
            return notSorted();
    }
    if (below) {
        if (const std::optional<Line> previous = lines.lastBefore(below->begin); previous && below->hash < previous->hash)
            return notSorted();
    }
    return quint64(0);
}

Error BreachList::notSorted() const
{
    return Error{u"The breach list \"%1\" is not sorted by hash, so it cannot be searched; use the file "
                 "as published, sorted by hash"_s.arg(QDir::toNativeSeparators(m_path)),
                 ErrorKind::DamagedFile};
}

Error BreachList::notABreachList() const
{
    return Error{u"The file \"%1\" is not a breach list: its lines are not a SHA-1 hash in hex, \":\" "
                 "and a count"_s.arg(QDir::toNativeSeparators(m_path)),
                 ErrorKind::DamagedFile};
}
