#include "Console.h"

#include "TerminalEcho.h"

#include <cstdio>
#include <iostream>
#include <string>

namespace {
constexpr qsizetype PieceSize = 1 << 16;
}

Console::Console(bool passwordsFromStdin)
    : m_passwordsFromStdin(passwordsFromStdin), m_piece(PieceSize, Qt::Uninitialized)
{
    m_out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    m_err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
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

void Console::outBytes(QByteArrayView bytes)
{
    flushOut();
    m_out.write(bytes.data(), bytes.size());
}

// What was printed so far comes first.
void Console::err(const QString &text)
{
    flushOut();
    m_err.write(text.toUtf8());
}

void Console::flushOut()
{
    if (m_used > 0)
        m_out.write(m_piece.constData(), m_used);
    m_used = 0;
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
    return QString::fromStdString(line);
}
