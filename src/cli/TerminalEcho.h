#pragma once

#include <memory>

// Turns off the echo of the terminal on standard input while it lives, so a
// typed password is not shown. Ctrl-C, SIGTERM, SIGHUP and SIGQUIT meanwhile put the
// echo back before they end the program. Does nothing when standard input is no terminal.
class TerminalEcho
{
public:
    TerminalEcho();
    ~TerminalEcho();
    TerminalEcho(const TerminalEcho &) = delete;
    TerminalEcho &operator=(const TerminalEcho &) = delete;

    static bool inputIsTerminal();

private:
    struct Saved; // the terminal's settings before, to put back
    std::unique_ptr<Saved> m_saved;
};
