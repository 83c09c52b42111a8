#pragma once

#include <QString>

class QCoreApplication;

// The program's command line: --vault FILE, --help and --version.
namespace CommandLine {

struct Options {
    QString vaultOverride; // empty: the usual place
};

// True when the command line asks only for text (--help, --version), which
// needs no display.
bool asksForTextOnly(int argc, char *argv[]);

// Reads the application's arguments; prints help, the version or an error and
// ends the process when asked or when the line is wrong.
Options parse(const QCoreApplication &app);

} // namespace CommandLine
