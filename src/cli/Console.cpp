#include "Console.h"

#include "TerminalEcho.h"
#include "vault/Wipe.h"

#include <cstdio>
#include <iostream>
#include <string>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype PieceSize = 1 << 16;

bool isControl(QChar c)
{
    const char16_t code = c.unicode();
    return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

QString escaped(QChar c)
{
    switch (c.unicode()) {
    case u'\t':
        return u"\\t"_s;
    case u'\n':
        return u"\\n"_s;
    case u'\r':
        return u"\\r"_s;
    default:
        return u"\\x"_s + QString::number(c.unicode(), 16).toUpper().rightJustified(2, u'0');
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
    const qsizetype needed = m_toUtf8.requiredSpace(text.size());
    if (m_used + needed > m_piece.size()) {
        flushOut();
        if (needed > m_piece.size())
            m_piece.resize(needed);
    }
    m_used = m_toUtf8.appendToBuffer(m_piece.data() + m_used, text) - m_piece.data();
}

void Console::outEscaped(QStringView text)
{
    qsizetype plainFrom = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isControl(text[i]))
            continue;
        out(text.sliced(plainFrom, i - plainFrom));
        out(escaped(text[i]));
        plainFrom = i + 1;
    }
    out(text.sliced(plainFrom));
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
