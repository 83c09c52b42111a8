#include "TerminalEcho.h"

#include <QtGlobal>

#if defined(Q_OS_UNIX)
#include <array>
#include <csignal>
#include <termios.h>
#include <unistd.h>

namespace {

// What a signal handler may read: the settings to put back while echo is off.
termios g_before;
volatile std::sig_atomic_t g_echoIsOff = 0;

constexpr std::array<int, 4> EndingSignals{SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Ctrl-C at the prompt must not leave the terminal without echo: the settings
// go back first, then the signal ends the program as it would have.
extern "C" void restoreEchoAndEnd(int signal)
{
    if (g_echoIsOff)
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_before);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

struct TerminalEcho::Saved
{
    termios settings;
    std::array<struct sigaction, EndingSignals.size()> handlers;
};

TerminalEcho::TerminalEcho()
{
    termios quiet;
    if (!inputIsTerminal() || tcgetattr(STDIN_FILENO, &quiet) != 0)
        return;
    auto saved = std::make_unique<Saved>();
    saved->settings = quiet;
    g_before = quiet;
    struct sigaction restoring = {};
    restoring.sa_handler = restoreEchoAndEnd;
    sigemptyset(&restoring.sa_mask);
    for (size_t i = 0; i < EndingSignals.size(); ++i)
        sigaction(EndingSignals[i], &restoring, &saved->handlers[i]);
    // The Enter key still moves to the next line.
    quiet.c_lflag &= ~tcflag_t(ECHO);
    quiet.c_lflag |= ECHONL;
    g_echoIsOff = 1;
    if (tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) != 0)
        g_echoIsOff = 0;
    m_saved = std::move(saved);
}

TerminalEcho::~TerminalEcho()
{
    if (!m_saved)
        return;
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &m_saved->settings);
    g_echoIsOff = 0;
    for (size_t i = 0; i < EndingSignals.size(); ++i)
        sigaction(EndingSignals[i], &m_saved->handlers[i], nullptr);
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
