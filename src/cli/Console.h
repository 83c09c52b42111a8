#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>

// Standard input, output and error, in UTF-8, and where passwords come from:
// the terminal without echo, or lines of standard input with --password-stdin.
class Console
{
public:
    explicit Console(bool passwordsFromStdin);

    void out(const QString &text) { write(m_out, text.toUtf8()); }
    void outBytes(const QByteArray &bytes) { write(m_out, bytes); }
    void err(const QString &text) { write(m_err, text.toUtf8()); }

    // Empty when no line could be read (no terminal, or the input has ended).
    std::optional<QString> password(const QString &prompt);
    bool canAskPasswords() const;

private:
    static void write(QFile &file, const QByteArray &bytes);
    std::optional<QString> readLine();

    bool m_passwordsFromStdin;
    QFile m_out, m_err;
};
