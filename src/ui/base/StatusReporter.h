#pragma once

#include <QString>

// Where a command reports its outcome: the main window's status line.
class StatusReporter
{
public:
    virtual ~StatusReporter() = default;
    virtual void SetStatus(const QString &text) = 0;
};
