#include "Wordlist.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace Wordlist {

namespace {

// Each line is the five dice that pick the word, a tab, and the word.
QStringList loadEff()
{
    QFile file(u":/wordlists/wordlist_en_eff.txt"_s);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList words;
    words.reserve(EffSize);
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QByteArray word = line.sliced(line.indexOf('\t') + 1).trimmed();
        if (!word.isEmpty())
            words.append(QString::fromLatin1(word));
    }
    return words.size() == EffSize ? words : QStringList{};
}

} // namespace

const QStringList &eff()
{
    static const QStringList words = loadEff();
    return words;
}

} // namespace Wordlist
