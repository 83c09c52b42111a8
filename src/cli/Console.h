#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <QStringEncoder>
#include <QStringView>

#include <optional>

// Standard input, output and error, in UTF-8, and where passwords come from:
// the terminal without echo, or lines of standard input with --password-stdin.
// Output is gathered into pieces, so a million lines cost few writes and no copy of the whole.
class Console
{
public:
    explicit Console(bool passwordsFromStdin);
    ~Console();
    Console(const Console &) = delete;
    Console &operator=(const Console &) = delete;

    void out(QStringView text);
    void outBytes(QByteArrayView bytes);
    void err(const QString &text);

    // Empty when no line could be read (no terminal, or the input has ended).
    std::optional<QString> password(const QString &prompt);
    bool canAskPasswords() const;

private:
    void flushOut();
    std::optional<QString> readLine();

    bool m_passwordsFromStdin;
    QFile m_out, m_err;
    QByteArray m_piece;
    qsizetype m_used = 0;
    QStringEncoder m_toUtf8{QStringEncoder::Utf8};
};
