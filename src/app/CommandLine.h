#pragma once

#include <QString>
#include <QStringList>

#include <variant>

// The program's command line: [--vault FILE | FILE], --help and --version, and
// the options of the window system itself (-platform, -style, ...), which pass.
namespace CommandLine {

struct Options {
    QString vaultOverride; // empty: the usual place
};

// What to print before ending instead of starting: help or the version
// (status 0, to standard output), or a mistake with the usage (status 2, to
// standard error).
struct Exit {
    int status = 0;
    QString text;
};

// The arguments, program name first. Needs no display, so a wrong line is
// answered before any window system starts.
std::variant<Options, Exit> parse(const QStringList &arguments);

} // namespace CommandLine
