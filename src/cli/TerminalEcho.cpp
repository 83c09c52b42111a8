#include "TerminalEcho.h"

#include <QtGlobal>

#if defined(Q_OS_UNIX)
#include <termios.h>
#include <unistd.h>

struct TerminalEcho::Saved
{
    termios settings;
};

TerminalEcho::TerminalEcho()
{
    termios quiet;
    if (!inputIsTerminal() || tcgetattr(STDIN_FILENO, &quiet) != 0)
        return;
    const termios before = quiet;
    // The Enter key still moves to the next line.
    quiet.c_lflag &= ~tcflag_t(ECHO);
    quiet.c_lflag |= ECHONL;
    if (tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0)
        m_saved = std::make_unique<Saved>(Saved{before});
}

TerminalEcho::~TerminalEcho()
{
    if (m_saved)
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &m_saved->settings);
}

bool TerminalEcho::inputIsTerminal()
{
    return isatty(STDIN_FILENO) == 1;
}

#elif defined(Q_OS_WIN)
#include <windows.h>

struct TerminalEcho::Saved
{
    DWORD mode;
};

TerminalEcho::TerminalEcho()
{
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(input, &mode) && SetConsoleMode(input, mode & ~DWORD(ENABLE_ECHO_INPUT)))
        m_saved = std::make_unique<Saved>(Saved{mode});
}

TerminalEcho::~TerminalEcho()
{
    if (m_saved)
        SetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), m_saved->mode);
}

bool TerminalEcho::inputIsTerminal()
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

#else
struct TerminalEcho::Saved
{
};
TerminalEcho::TerminalEcho() = default;
TerminalEcho::~TerminalEcho() = default;
bool TerminalEcho::inputIsTerminal()
{
    return false;
}
#endif
