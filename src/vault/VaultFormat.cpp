#include "VaultFormat.h"

#include "LargeMemory.h"
#include "ToggleHighBits.h"
#include "Windows1252.h"
#include "Wipe.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr char CR = '\r';
constexpr char LF = '\n';
constexpr QByteArrayView LineEnd = "\r\n";
constexpr QByteArrayView SkippedSpaceLine = " ";
constexpr QByteArrayView PlainSeparator = "|||";
// A bar of "|||" as the file has it, enciphered.
constexpr char RawBar = char('|' ^ 0x80);
// The separators and the line end serialize adds to an entry's fields.
constexpr qsizetype PerEntry = 2 * PlainSeparator.size() + 2;

// Ends a line at CR and drops the LF right after it; a lone LF belongs to the
// line, since the cipher turns 'Š' into one.
class LineReader
{
public:
    explicit LineReader(QByteArrayView bytes) : m_rest(bytes) {}

    bool atEnd() const { return m_rest.isEmpty(); }
    qsizetype restSize() const { return m_rest.size(); }
    // At least as many as the lines still to come: one per CR, and one after the last.
    qsizetype countLines() const
    {
        // By memchr, which looks at many bytes at once; a plain count goes byte by byte.
        qsizetype count = 1;
        const char *next = m_rest.data();
        const char *const end = next + m_rest.size();
        while (next < end) {
            const void *cr = std::memchr(next, CR, size_t(end - next));
            if (!cr)
                break;
            ++count;
            next = static_cast<const char *>(cr) + 1;
        }
        return count;
    }

    QByteArrayView next()
    {
        const qsizetype cr = m_rest.indexOf(CR);
        if (cr < 0)
            return std::exchange(m_rest, {});
        const QByteArrayView line = m_rest.first(cr);
        qsizetype after = cr + 1;
        if (after < m_rest.size() && m_rest[after] == LF)
            ++after;
        m_rest = m_rest.sliced(after);
        return line;
    }

private:
    QByteArrayView m_rest;
};

// The deciphered bytes are the secret in plain: wiped once decoded.
QString decipher(QByteArrayView rawLine)
{
    QByteArray plain = ToggleHighBitsBytes(rawLine);
    QString text = Windows1252::decode(plain);
    Wipe::bytes(plain);
    return text;
}

// Enciphered on the way into room made beforehand.
char *putLine(char *out, QStringView text)
{
    out = EncipherTo(out, text);
    *out++ = CR;
    *out++ = LF;
    return out;
}

char *putEntryLine(char *out, const EntryRow &row)
{
    out = EncipherTo(out, row.username());
    out = std::fill_n(out, PlainSeparator.size(), RawBar);
    out = EncipherTo(out, row.password());
    out = std::fill_n(out, PlainSeparator.size(), RawBar);
    return putLine(out, row.location());
}

// Bytes copied from the file, each put right as its character enciphers
// again: the bytes parse and serialize would make of them, with no text
// between. Only a few bytes change (NUL comes back as the euro sign).
void encipherAgain(char *begin, char *end)
{
    static const std::vector<std::pair<char, char>> changed = [] {
        std::vector<std::pair<char, char>> pairs;
        for (int byte = 0; byte < 256; ++byte) {
            const char raw = char(byte);
            const char16_t character = VaultFormat::RawEntry::characterOf(uchar(byte));
            char again;
            EncipherTo(&again, QStringView(&character, 1));
            if (again != raw)
                pairs.emplace_back(raw, again);
        }
        return pairs;
    }();
    // What a byte changes to stays as it is, so one pass a byte is enough.
    for (const auto &[from, to] : changed) {
        for (char *at = begin; at < end && (at = static_cast<char *>(std::memchr(at, from, size_t(end - at))));)
            *at++ = to;
    }
}

bool isSkippedLine(QByteArrayView rawLine)
{
    return rawLine.isEmpty() || rawLine == SkippedSpaceLine;
}

// Where "|||" first starts in an enciphered line, or its size when it has none.
qsizetype separatorIn(QByteArrayView line)
{
    // Fields are short: a plain loop beats a call to memchr for each.
    const char *data = line.data();
    const qsizetype size = line.size();
    for (qsizetype at = 0; at + 2 < size; ++at) {
        if (data[at] == RawBar && data[at + 1] == RawBar && data[at + 2] == RawBar)
            return at;
    }
    return size;
}

void reserveRows(std::vector<EntryRow> &rows, qsizetype lineCount)
{
    rows.reserve(size_t(lineCount));
    platform::preferLargePages(rows.data(), qsizetype(rows.capacity() * sizeof(EntryRow)));
}

// The first three "|||"-separated pieces of an entry line: pieces after the
// third are dropped; missing pieces stay empty.
VaultFormat::RawEntry fieldsOf(QByteArrayView line)
{
    QByteArrayView pieces[3];
    for (QByteArrayView &piece : pieces) {
        const qsizetype cut = separatorIn(line);
        piece = line.first(cut);
        line = cut < line.size() ? line.sliced(cut + PlainSeparator.size()) : QByteArrayView();
    }
    return {pieces[0], pieces[1], pieces[2]};
}

// The line as the file has it, for encipherAgain to put right.
char *putRawEntryLine(char *out, const VaultFormat::RawEntry &entry)
{
    // With both separators, the fields and the separators between them are one piece of the line.
    if (entry.location.data() == entry.password.end() + PlainSeparator.size()
        && entry.password.data() == entry.username.end() + PlainSeparator.size()) {
        out = std::copy(entry.username.begin(), entry.location.end(), out);
    } else {
        out = std::copy(entry.username.begin(), entry.username.end(), out);
        out = std::fill_n(out, PlainSeparator.size(), RawBar);
        out = std::copy(entry.password.begin(), entry.password.end(), out);
        out = std::fill_n(out, PlainSeparator.size(), RawBar);
        out = std::copy(entry.location.begin(), entry.location.end(), out);
    }
    *out++ = CR;
    *out++ = LF;
    return out;
}

// The rows after the last entry, and the empty line that ends the file.
char *putEnd(char *out, const std::vector<EntryRow> &rows)
{
    for (const EntryRow &row : rows)
        out = putEntryLine(out, row);
    *out++ = CR;
    *out++ = LF;
    return out;
}

// Every entry line's three fields deciphered and decoded straight into the
// block that the rows share, from its start: no line is copied on the way.
// The units of text written; the rows hold the block from here on (Block::addRows).
qsizetype readRows(LineReader &lines, qsizetype lineCount, EntryRow::Block *block, std::vector<EntryRow> &rows)
{
    block->addRows(lineCount);
    char16_t *const text = block->text();
    char16_t *next = text;
    while (!lines.atEnd()) {
        const QByteArrayView line = lines.next();
        if (isSkippedLine(line))
            continue;
        const VaultFormat::RawEntry fields = fieldsOf(line);
        const qsizetype start = next - text;
        next = DecipherTo(next, fields.username);
        const qsizetype afterUsername = next - text;
        next = DecipherTo(next, fields.password);
        const qsizetype afterPassword = next - text;
        next = DecipherTo(next, fields.location);
        rows.push_back(EntryRow::inBlock(block, start, afterUsername, afterPassword, next - text));
    }
    return next - text;
}

// Gives back the room past the text (a file's line ends and separators), and
// the counts the rows did not take, with the block's first.
void finishBlock(EntryRow::Block *block, qsizetype units, std::vector<EntryRow> &rows, qsizetype lineCount)
{
    const qsizetype made = qsizetype(rows.size());
    block = EntryRow::Block::shrink(block, units, rows.data(), made);
    block->releaseRows(lineCount - made + 1);
}

qsizetype serializedSize(const std::vector<EntryRow> &rows)
{
    qsizetype size = 0;
    for (const EntryRow &row : rows)
        size += row.username().size() + row.password().size() + row.location().size() + PerEntry;
    return size;
}

QString characterReason(QStringView character)
{
    const char32_t code = character.size() == 2
            ? QChar::surrogateToUcs4(character[0], character[1])
            : character[0].unicode();
    const QString hex = QString::number(code, 16).toUpper().rightJustified(4, u'0');
    return u"it contains the character \"%1\" (U+%2), which the vault file cannot store"_s
            .arg(character, hex);
}

// The whole character at i: two units for a surrogate pair.
QStringView characterAt(QStringView text, qsizetype i)
{
    const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
    return text.sliced(i, pair ? 2 : 1);
}

} // namespace

namespace VaultFormat {

Contents parse(QByteArrayView fileBytes)
{
    LineReader lines(fileBytes);
    Contents contents;
    contents.MasterPassword = decipher(lines.next());
    if (lines.atEnd())
        return contents;
    const qsizetype lineCount = lines.countLines();
    reserveRows(contents.Rows, lineCount);
    // Each character takes one unit, and the text is never more than the bytes left.
    EntryRow::Block *block = EntryRow::Block::create(lines.restSize());
    if (!block)
        throw std::bad_alloc();
    finishBlock(block, readRows(lines, lineCount, block, contents.Rows), contents.Rows, lineCount);
    return contents;
}

// Each unit written lies below the byte it came from, so no byte is written
// over before it is read: unit k goes to bytes 2k and 2k+1, from file byte j
// at offset N + j, with k <= j < N.
Contents parseInBlock(QByteArrayView fileBytes, EntryRow::Block *block)
{
    LineReader lines(fileBytes);
    Contents contents;
    contents.MasterPassword = decipher(lines.next());
    const qsizetype lineCount = lines.atEnd() ? 0 : lines.countLines();
    reserveRows(contents.Rows, lineCount);
    const qsizetype units = lineCount > 0 ? readRows(lines, lineCount, block, contents.Rows) : 0;
    // What is left of the file past the text is the secret, enciphered.
    char *const textEnd = reinterpret_cast<char *>(block->text() + units);
    const char *const fileEnd = fileBytes.data() + fileBytes.size();
    if (textEnd < fileEnd)
        Wipe::bytes(textEnd, fileEnd - textEnd);
    finishBlock(block, units, contents.Rows, lineCount);
    return contents;
}

void forEachEntry(QByteArrayView fileBytes, const std::function<void(const RawEntry &)> &take)
{
    LineReader lines(fileBytes);
    lines.next();
    while (!lines.atEnd()) {
        const QByteArrayView line = lines.next();
        if (!isSkippedLine(line))
            take(fieldsOf(line));
    }
}

char16_t RawEntry::characterOf(uchar byte)
{
    char16_t character;
    DecipherTo(&character, QByteArrayView(reinterpret_cast<const char *>(&byte), 1));
    return character;
}

QString readMasterPassword(QByteArrayView fileBytes)
{
    return decipher(LineReader(fileBytes).next());
}

QByteArray serialize(const QString &masterPassword, const std::vector<EntryRow> &rows,
                     const std::vector<EntryRow> &moreRows)
{
    // Room for every unit as one byte; a pair of surrogates takes one, so the end may come short.
    QByteArray out(masterPassword.size() + 2 * LineEnd.size() + serializedSize(rows) + serializedSize(moreRows),
                   Qt::Uninitialized);
    platform::preferLargePages(out.data(), out.size());
    char *next = putLine(out.data(), masterPassword);
    for (const EntryRow &row : rows)
        next = putEntryLine(next, row);
    out.truncate(putEnd(next, moreRows) - out.constData());
    return out;
}

QByteArray serializeAfterFile(QByteArrayView fileBytes, const std::vector<EntryRow> &moreRows,
                              qsizetype *entriesInFile)
{
    QString masterPassword = readMasterPassword(fileBytes);
    // An entry line grows at most by the separators and line end it lacks.
    QByteArray out(masterPassword.size() + 2 * LineEnd.size() + fileBytes.size()
                           + LineReader(fileBytes).countLines() * PerEntry + serializedSize(moreRows),
                   Qt::Uninitialized);
    platform::preferLargePages(out.data(), out.size());
    char *next = putLine(out.data(), masterPassword);
    Wipe::text(masterPassword);
    char *const copiedFrom = next;
    qsizetype entries = 0;
    forEachEntry(fileBytes, [&](const RawEntry &entry) {
        next = putRawEntryLine(next, entry);
        ++entries;
    });
    encipherAgain(copiedFrom, next);
    out.truncate(putEnd(next, moreRows) - out.constData());
    if (entriesInFile)
        *entriesInFile = entries;
    return out;
}

QByteArray masterOnly(const QString &masterPassword)
{
    QByteArray out(masterPassword.size() + LineEnd.size(), Qt::Uninitialized);
    out.truncate(putLine(out.data(), masterPassword) - out.constData());
    return out;
}

QByteArray emptyVault()
{
    return LineEnd.toByteArray();
}

QByteArray withFirstMasterPassword(QByteArrayView existingFileBytes, const QString &masterPassword)
{
    const std::vector<EntryRow> kept = parse(existingFileBytes).Rows;
    return kept.empty() ? masterOnly(masterPassword) : serialize(masterPassword, kept);
}

QString unstorableReason(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // NUL would come back as the euro sign.
        if (c.unicode() == 0)
            return u"it contains the NUL character"_s;
        // U+008D enciphers to a CR, which would end the line early.
        if (c.unicode() == 0x8D)
            return u"it contains the control character U+008D, which would break its line in the vault file"_s;
        if (!Windows1252::canEncode(c))
            return characterReason(characterAt(text, i));
    }
    return {};
}

QString fieldUnstorableReason(QStringView text, Field field)
{
    if (QString reason = unstorableReason(text); !reason.isEmpty())
        return reason;
    if (text.contains(FieldSeparator))
        return u"it contains \"|||\", which the vault file uses to separate fields"_s;
    // The reader splits at the first "|||": a '|' just before a separator joins
    // it, so the split lands one place early. A '|' just after one is harmless.
    if (field != Field::Location && text.endsWith(u'|'))
        return u"it ends with \"|\", which would run into the \"|||\" the vault file puts after it"_s;
    return {};
}

} // namespace VaultFormat
