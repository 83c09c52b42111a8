#include "Console.h"

#include "TerminalEcho.h"

#include <cstdio>
#include <iostream>
#include <string>

Console::Console(bool passwordsFromStdin) : m_passwordsFromStdin(passwordsFromStdin)
{
    m_out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    m_err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
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

void Console::write(QFile &file, const QByteArray &bytes)
{
    file.write(bytes);
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
