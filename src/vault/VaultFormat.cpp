#include "VaultFormat.h"

#include "ToggleHighBits.h"
#include "Windows1252.h"

#include <algorithm>
#include <array>
#include <tuple>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr char CR = '\r';
constexpr char LF = '\n';
constexpr QByteArrayView LineEnd = "\r\n";
constexpr QByteArrayView SkippedSpaceLine = " ";
constexpr QByteArrayView PlainSeparator = "|||";

// Ends a line at CR and drops the LF right after it; a lone LF belongs to the
// line, since the cipher turns 'Š' into one.
class LineReader
{
public:
    explicit LineReader(QByteArrayView bytes) : m_rest(bytes) {}

    bool atEnd() const { return m_rest.isEmpty(); }

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

QString decipher(QByteArrayView rawLine)
{
    return Windows1252::decode(ToggleHighBitsBytes(rawLine));
}

void appendEnciphered(QByteArray &out, QStringView text)
{
    const qsizetype start = out.size();
    Windows1252::appendEncoded(out, text);
    ToggleHighBitsInPlace(out.data() + start, out.size() - start);
}

void appendLine(QByteArray &out, QStringView text)
{
    appendEnciphered(out, text);
    out += LineEnd;
}

void appendEntryLine(QByteArray &out, const VaultEntry &entry)
{
    appendEnciphered(out, entry.Username);
    appendEnciphered(out, VaultFormat::FieldSeparator);
    appendEnciphered(out, entry.Password);
    appendEnciphered(out, VaultFormat::FieldSeparator);
    appendEnciphered(out, entry.Location);
    out += LineEnd;
}

bool isSkippedLine(QByteArrayView rawLine)
{
    return rawLine.isEmpty() || rawLine == SkippedSpaceLine;
}

// Pieces after the third are dropped; missing pieces stay empty.
VaultEntry entryFromLine(QByteArrayView rawLine)
{
    const QByteArray line = ToggleHighBitsBytes(rawLine);
    QByteArrayView rest = line;
    VaultEntry entry;
    for (QString *field : {&entry.Username, &entry.Password, &entry.Location}) {
        const qsizetype cut = rest.indexOf(PlainSeparator);
        *field = Windows1252::decode(cut < 0 ? rest : rest.first(cut));
        rest = cut < 0 ? QByteArrayView() : rest.sliced(cut + PlainSeparator.size());
    }
    return entry;
}

qsizetype serializedSizeHint(const QString &masterPassword, const std::vector<VaultEntry> &entries)
{
    constexpr qsizetype PerEntry = 2 * VaultFormat::FieldSeparator.size() + LineEnd.size();
    qsizetype size = masterPassword.size() + 2 * LineEnd.size();
    for (const VaultEntry &entry : entries)
        size += entry.Username.size() + entry.Password.size() + entry.Location.size() + PerEntry;
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
    Contents contents;
    LineReader lines(fileBytes);
    contents.MasterPassword = decipher(lines.next());
    while (!lines.atEnd()) {
        const QByteArrayView rawLine = lines.next();
        if (!isSkippedLine(rawLine))
            contents.Entries.push_back(entryFromLine(rawLine));
    }
    return contents;
}

QString readMasterPassword(QByteArrayView fileBytes)
{
    return decipher(LineReader(fileBytes).next());
}

QByteArray serialize(const QString &masterPassword, const std::vector<VaultEntry> &entries)
{
    QByteArray out;
    out.reserve(serializedSizeHint(masterPassword, entries));
    appendLine(out, masterPassword);
    for (const VaultEntry &entry : entries)
        appendEntryLine(out, entry);
    out += LineEnd;
    return out;
}

QByteArray masterOnly(const QString &masterPassword)
{
    QByteArray out;
    appendLine(out, masterPassword);
    return out;
}

QByteArray emptyVault()
{
    return LineEnd.toByteArray();
}

QByteArray withFirstMasterPassword(QByteArrayView existingFileBytes, const QString &masterPassword)
{
    const std::vector<VaultEntry> kept = parse(existingFileBytes).Entries;
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

QString entryUnstorableReason(const VaultEntry &entry)
{
    const std::array<std::tuple<QLatin1StringView, const QString *, Field>, 3> fields{{
        {"username"_L1, &entry.Username, Field::Username},
        {"password"_L1, &entry.Password, Field::Password},
        {"location"_L1, &entry.Location, Field::Location}}};
    for (const auto &[name, text, field] : fields) {
        if (const QString reason = fieldUnstorableReason(*text, field); !reason.isEmpty())
            return u"the %1 cannot be stored: %2"_s.arg(name, reason);
    }
    return {};
}

} // namespace VaultFormat
