#include "Console.h"

#include "TerminalEcho.h"
#include "vault/Wipe.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype PieceSize = 1 << 16;

bool isControl(char16_t code)
{
    return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

// Longest a unit becomes: "\xHH".
constexpr qsizetype MostBytesPerUnit = 4;

char *putEscape(char *at, char16_t code)
{
    switch (code) {
    case u'\t':
        return std::copy_n("\\t", 2, at);
    case u'\n':
        return std::copy_n("\\n", 2, at);
    case u'\r':
        return std::copy_n("\\r", 2, at);
    default:
        constexpr char Hex[] = "0123456789ABCDEF";
        *at++ = '\\';
        *at++ = 'x';
        *at++ = Hex[code >> 4 & 0xF];
        *at++ = Hex[code & 0xF];
        return at;
    }
}

} // namespace

Console::Console(bool passwordsFromStdin)
    : m_passwordsFromStdin(passwordsFromStdin), m_piece(PieceSize, Qt::Uninitialized)
{
    // By descriptor: every write goes straight to the system, which reports its failures.
    m_out.open(fileno(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered);
    m_err.open(fileno(stderr), QIODevice::WriteOnly | QIODevice::Unbuffered);
}

Console::~Console()
{
    flushOut();
}

void Console::out(QStringView text)
{
    put(text, false);
}

void Console::outEscaped(QStringView text)
{
    put(text, true);
}

// ASCII, most of what is printed, goes straight into the piece; the rest
// through the encoder, a run at a time.
void Console::put(QStringView text, bool escapeControls)
{
    char *at = room(text.size() * MostBytesPerUnit);
    const char16_t *unit = text.utf16();
    const char16_t *const end = unit + text.size();
    while (unit < end) {
        if (escapeControls && isControl(*unit)) {
            at = putEscape(at, *unit++);
        } else if (*unit < 0x80) {
            *at++ = char(*unit++);
        } else {
            const char16_t *runEnd = unit;
            while (runEnd < end && *runEnd >= 0x80 && !(escapeControls && isControl(*runEnd)))
                ++runEnd;
            at = m_toUtf8.appendToBuffer(at, QStringView(unit, runEnd));
            unit = runEnd;
        }
    }
    m_used = at - m_piece.data();
}

Console::ByteText Console::escapedTextOf(const std::function<char16_t(uchar)> &characterOf)
{
    ByteText text;
    for (int byte = 0; byte < 256; ++byte) {
        const char16_t character = characterOf(uchar(byte));
        std::array<char, 4> &printed = text.bytes[size_t(byte)];
        // One unit is at most three bytes of UTF-8.
        const QByteArray utf8 = QStringView(&character, 1).toUtf8();
        char *const end = isControl(character) ? putEscape(printed.data(), character)
                                               : std::copy(utf8.begin(), utf8.end(), printed.data());
        text.size[size_t(byte)] = uchar(end - printed.data());
    }
    return text;
}

void Console::outEscaped(QByteArrayView bytes, const ByteText &text)
{
    char *at = room(bytes.size() * MostBytesPerUnit);
    for (const char byte : bytes) {
        const std::array<char, 4> &printed = text.bytes[uchar(byte)];
        std::copy_n(printed.data(), 4, at);
        at += text.size[uchar(byte)];
    }
    m_used = at - m_piece.data();
}

char *Console::room(qsizetype bytes)
{
    if (m_used + bytes > m_piece.size()) {
        flushOut();
        if (bytes > m_piece.size())
            m_piece.resize(bytes);
    }
    return m_piece.data() + m_used;
}

void Console::outBytes(QByteArrayView bytes)
{
    flushOut();
    write(bytes);
}

// What was printed so far comes first.
void Console::err(const QString &text)
{
    flushOut();
    m_err.write(text.toUtf8());
}

QString Console::finish()
{
    flushOut();
    return m_outError;
}

void Console::flushOut()
{
    if (m_used > 0)
        write(QByteArrayView(m_piece.constData(), m_used));
    m_used = 0;
}

// After the first failure nothing more is tried: the output is incomplete anyway.
void Console::write(QByteArrayView bytes)
{
    while (m_outError.isEmpty() && !bytes.isEmpty()) {
        const qint64 written = m_out.write(bytes.data(), bytes.size());
        if (written <= 0)
            m_outError = m_out.errorString();
        else
            bytes = bytes.sliced(written);
    }
}

bool Console::canAskPasswords() const
{
    return m_passwordsFromStdin || TerminalEcho::inputIsTerminal();
}

std::optional<QString> Console::password(const QString &prompt)
{
    if (m_passwordsFromStdin)
        return readLine();
    if (!TerminalEcho::inputIsTerminal())
        return std::nullopt;
    err(prompt);
    const TerminalEcho quiet;
    return readLine();
}

std::optional<QString> Console::readLine()
{
    std::string line;
    if (!std::getline(std::cin, line))
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    QString text = QString::fromStdString(line);
    // A password, most likely: its bytes do not outlive the line read.
    Wipe::bytes(line.data(), qsizetype(line.size()));
    return text;
}
