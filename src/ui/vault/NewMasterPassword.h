#pragma once

#include <QString>

#include <optional>

// What the windows say when a new master password, typed twice, cannot be taken.
namespace NewMasterPassword {

struct Refusal
{
    QString text;
    QString title; // empty: the program's title
    bool mismatch = false; // the boxes are emptied, to type both again
};

std::optional<Refusal> check(const QString &password, const QString &retyped);

} // namespace NewMasterPassword
