#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <QStringEncoder>
#include <QStringView>

#include <array>
#include <functional>
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
    // Control characters (C0, DEL, C1) as \t, \n, \r or \xHH, so a field stays
    // one piece of one line and nothing reaches the terminal as a command.
    void outEscaped(QStringView text);
    // For text whose every byte is one character: what each byte prints as,
    // escaped as outEscaped escapes, so the bytes print without a decode between.
    struct ByteText
    {
        std::array<std::array<char, 4>, 256> bytes{};
        std::array<uchar, 256> size{};
    };
    static ByteText escapedTextOf(const std::function<char16_t(uchar)> &characterOf);
    void outEscaped(QByteArrayView bytes, const ByteText &text);
    void outBytes(QByteArrayView bytes);
    void err(const QString &text);
    // Writes what is left. The reason when any write to standard output
    // failed (a full disk, a closed pipe); empty when all went out.
    QString finish();

    // Empty when no line could be read (no terminal, or the input has ended).
    std::optional<QString> password(const QString &prompt);
    bool canAskPasswords() const;

private:
    void put(QStringView text, bool escapeControls);
    // Where the next bytes go, with room for this many.
    char *room(qsizetype bytes);
    void flushOut();
    void write(QByteArrayView bytes);
    std::optional<QString> readLine();

    bool m_passwordsFromStdin;
    QFile m_out, m_err;
    QByteArray m_piece;
    qsizetype m_used = 0;
    // Stateless, since ASCII goes around it: a lone surrogate at the end of a
    // run is replaced at once, as when the encoder saw the unit after it.
    QStringEncoder m_toUtf8{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
    QString m_outError;
};
