#include "ui/help/RtfReader.h"

#include "vault/Windows1252.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QString>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace {

// Groups nested deeper than this are dropped, which bounds the state stack.
constexpr qsizetype kMaxDepth = 256;
// Bounds for parameters, so absurd values cannot produce absurd layouts.
constexpr int kMaxParam = 1'000'000'000;
constexpr int kMaxHalfPoints = 1000;
constexpr int kMaxTwips = 30'000;
constexpr int kTwipsPerPx = 15;
constexpr int kDefaultHalfPoints = 24;
// Qt compares formats that differ only in the font linearly, so many fonts
// would make reading quadratic; real documents use a handful.
constexpr qsizetype kMaxFonts = 256;

// The vault's code page; the five unassigned bytes decode to C1 controls,
// which a document does not show, so they become 0 and are dropped.
char16_t fromCp1252(uchar byte)
{
    const char16_t c = Windows1252::decodeByte(byte);
    return c >= 0x80 && c < 0xA0 ? 0 : c;
}

// Destinations whose content is not document text.
bool isIgnoredDestination(QByteArrayView word)
{
    static constexpr const char *kWords[] = {
        "stylesheet", "info",      "pict",       "header",     "headerl",
        "headerr",    "headerf",   "footer",     "footerl",    "footerr",
        "footerf",    "object",    "themedata",  "colorschememapping",
        "latentstyles", "datastore", "xmlnstbl", "listtable",  "listoverridetable",
        "rsidtbl",    "generator", "fldinst",    "footnote",   "annotation",
        "filetbl",    "revtbl",    "pn",         "private",    "nonshppict",
        "shp",        "xe",        "tc",         "txe",        "bkmkstart",
        "bkmkend",    "mmathPr",   "wgrffmtfilter", "pgdsctbl",
    };
    return std::any_of(std::begin(kWords), std::end(kWords),
                       [word](const char *w) { return word == QByteArrayView(w); });
}

enum class Destination { Text, FontTable, ColorTable, Ignored };

// Everything a group saves and its closing brace restores.
struct State
{
    Destination destination = Destination::Text;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = kDefaultHalfPoints;
    int font = -1; // -1: the \deff font
    int color = 0; // entry 0 is normally the empty "auto" entry
    Qt::Alignment alignment = Qt::AlignLeft;
    int leftTwips = 0;
    int firstLineTwips = 0;
    int spaceBeforeTwips = 0;
    int spaceAfterTwips = 0;
    int unicodeSkip = 1;

    void resetCharacter()
    {
        bold = italic = underline = false;
        halfPoints = kDefaultHalfPoints;
        font = -1;
        color = 0;
    }
    void resetParagraph()
    {
        alignment = Qt::AlignLeft;
        leftTwips = firstLineTwips = spaceBeforeTwips = spaceAfterTwips = 0;
    }
};

class Parser
{
public:
    Parser(QByteArrayView rtf, QTextDocument &document) : m_in(rtf), m_cursor(&document) {}

    void run()
    {
        // Inside an edit block the cursor does not lay out the paragraph after
        // every insertion, which would make long paragraphs quadratic.
        m_cursor.beginEditBlock();
        while (m_pos < m_in.size()) {
            const char c = m_in[m_pos++];
            if (m_droppedDepth > 0)
                skipDroppedGroup(c);
            else if (c == '{')
                openGroup();
            else if (c == '}')
                closeGroup();
            else if (c == '\\')
                escape();
            else if (c != '\r' && c != '\n')
                character(fromCp1252(uchar(c)));
        }
        flush();
        dropFinalParagraphMark();
        m_cursor.endEditBlock();
    }

private:
    State &state() { return m_stack.back(); }

    void skipDroppedGroup(char c)
    {
        if (c == '{')
            ++m_droppedDepth;
        else if (c == '}')
            --m_droppedDepth;
        else if (c == '\\' && m_pos < m_in.size())
            ++m_pos; // so that \{ and \} do not count
    }

    void openGroup()
    {
        flush();
        m_skipCount = 0;
        if (qsizetype(m_stack.size()) > kMaxDepth)
            ++m_droppedDepth;
        else if (m_stack.size() == 1)
            m_stack.push_back(State{});
        else
            m_stack.push_back(m_stack.back());
    }

    void closeGroup()
    {
        flush();
        m_skipCount = 0;
        if (m_stack.size() <= 1)
            return; // an unmatched brace
        if (state().destination == Destination::FontTable)
            commitFont();
        m_stack.pop_back();
    }

    void escape()
    {
        if (m_pos >= m_in.size())
            return;
        const char c = m_in[m_pos];
        if (!isLetter(c)) {
            ++m_pos;
            symbol(c);
            return;
        }
        const qsizetype start = m_pos;
        while (m_pos < m_in.size() && isLetter(m_in[m_pos]))
            ++m_pos;
        const QByteArrayView word = m_in.sliced(start, m_pos - start);

        bool negative = false;
        if (m_pos + 1 < m_in.size() && m_in[m_pos] == '-' && isDigit(m_in[m_pos + 1])) {
            negative = true;
            ++m_pos;
        }
        bool hasParam = false;
        qint64 value = 0;
        while (m_pos < m_in.size() && isDigit(m_in[m_pos])) {
            hasParam = true;
            value = std::min<qint64>(value * 10 + (m_in[m_pos++] - '0'), kMaxParam);
        }
        if (m_pos < m_in.size() && m_in[m_pos] == ' ')
            ++m_pos; // the delimiter belongs to the word
        controlWord(word, hasParam, int(negative ? -value : value));
    }

    void symbol(char c)
    {
        if (c == '*') {
            state().destination = Destination::Ignored;
            return;
        }
        if (c == '\'') {
            int value = 0;
            int digits = 0;
            while (digits < 2 && m_pos < m_in.size() && hexValue(m_in[m_pos]) >= 0)
                value = value * 16 + hexValue(m_in[m_pos++]), ++digits;
            if (digits > 0)
                character(fromCp1252(uchar(value)));
            return;
        }
        if (consumeSkip())
            return;
        switch (c) {
        case '\\': case '{': case '}': put(char16_t(c)); break;
        case '~': put(u'\u00A0'); break;
        case '-': put(u'\u00AD'); break;
        case '_': put(u'\u2011'); break;
        case '\r': case '\n': paragraph(); break;
        default: break;
        }
    }

    void controlWord(QByteArrayView w, bool hasParam, int param)
    {
        if (w == "bin") { // raw bytes that must not be parsed
            m_pos += std::min<qsizetype>(std::max(param, 0), m_in.size() - m_pos);
            return;
        }
        State &s = state();
        if (s.destination == Destination::Ignored || consumeSkip())
            return;
        if (w == "u") { // a negative N stands for N + 65536
            if (param >= -32768 && param <= 0xFFFF)
                put(char16_t(param < 0 ? param + 65536 : param));
            m_skipCount = s.unicodeSkip;
        } else if (w == "uc") {
            s.unicodeSkip = std::clamp(hasParam ? param : 1, 0, 16);
        } else if (isIgnoredDestination(w)) {
            flush();
            s.destination = Destination::Ignored;
        } else if (w == "fonttbl") {
            flush();
            s.destination = Destination::FontTable;
        } else if (w == "colortbl") {
            flush();
            s.destination = Destination::ColorTable;
            m_red = m_green = m_blue = -1;
        } else if (s.destination == Destination::FontTable) {
            if (w == "f" && hasParam) {
                commitFont();
                m_fontNumber = param;
            }
        } else if (s.destination == Destination::ColorTable) {
            const int component = std::clamp(param, 0, 255);
            if (w == "red") m_red = component;
            else if (w == "green") m_green = component;
            else if (w == "blue") m_blue = component;
        } else {
            textWord(s, w, hasParam, param);
        }
    }

    // Control words of the document text.
    void textWord(State &s, QByteArrayView w, bool hasParam, int param)
    {
        const bool on = !hasParam || param != 0;
        if (w == "par" || w == "page" || w == "sect") return paragraph();
        if (w == "deff") { m_defaultFont = param; return; }
        static constexpr std::pair<const char *, char16_t> kCharacters[] = {
            {"line", u'\u2028'},   {"tab", u'\t'},         {"emdash", u'\u2014'},
            {"endash", u'\u2013'}, {"bullet", u'\u2022'},  {"lquote", u'\u2018'},
            {"rquote", u'\u2019'}, {"ldblquote", u'\u201C'}, {"rdblquote", u'\u201D'},
        };
        for (const auto &[name, c] : kCharacters) {
            if (w == QByteArrayView(name))
                return put(c);
        }

        flush(); // the words below change the format of the text that follows
        if (w == "b") s.bold = on;
        else if (w == "i") s.italic = on;
        else if (w == "ul") s.underline = on;
        else if (w == "ulnone") s.underline = false;
        else if (w == "plain") s.resetCharacter();
        else if (w == "pard") s.resetParagraph();
        else if (w == "fs") s.halfPoints = hasParam ? std::clamp(param, 2, kMaxHalfPoints) : kDefaultHalfPoints;
        else if (w == "f") s.font = hasParam ? param : -1;
        else if (w == "cf") s.color = param;
        else if (w == "ql") s.alignment = Qt::AlignLeft;
        else if (w == "qr") s.alignment = Qt::AlignRight;
        else if (w == "qc") s.alignment = Qt::AlignHCenter;
        else if (w == "qj") s.alignment = Qt::AlignJustify;
        else if (w == "li") s.leftTwips = std::clamp(param, 0, kMaxTwips);
        else if (w == "fi") s.firstLineTwips = std::clamp(param, -kMaxTwips, kMaxTwips);
        else if (w == "sb") s.spaceBeforeTwips = std::clamp(param, 0, kMaxTwips);
        else if (w == "sa") s.spaceAfterTwips = std::clamp(param, 0, kMaxTwips);
    }

    // A fallback character of \uN; a control word or \'hh counts as one.
    bool consumeSkip()
    {
        if (m_skipCount <= 0)
            return false;
        --m_skipCount;
        return true;
    }

    // A character from the input, either raw or \'hh.
    void character(char16_t c)
    {
        if (!consumeSkip())
            put(c);
    }

    void put(char16_t c)
    {
        switch (state().destination) {
        case Destination::Text:
            if (c >= 0x20 || c == u'\t')
                m_text.append(QChar(c)), m_endsWithParagraphMark = false;
            break;
        case Destination::FontTable:
            if (c == u';')
                commitFont();
            else
                m_fontName.append(QChar(c));
            break;
        case Destination::ColorTable:
            if (c == u';') {
                m_colors.append(m_red < 0 && m_green < 0 && m_blue < 0
                                    ? QColor()
                                    : QColor(std::max(m_red, 0), std::max(m_green, 0), std::max(m_blue, 0)));
                m_red = m_green = m_blue = -1;
            }
            break;
        case Destination::Ignored:
            break;
        }
    }

    void commitFont()
    {
        const QString name = m_fontName.trimmed();
        if (!name.isEmpty() && !m_fonts.contains(m_fontNumber) && m_fonts.size() < kMaxFonts)
            m_fonts.insert(m_fontNumber, name);
        m_fontName.clear();
    }

    void paragraph()
    {
        if (state().destination != Destination::Text)
            return;
        flush();
        m_cursor.setBlockFormat(blockFormat());
        m_cursor.insertBlock(blockFormat(), charFormat());
        m_endsWithParagraphMark = true;
    }

    void flush()
    {
        if (m_text.isEmpty())
            return;
        m_cursor.setBlockFormat(blockFormat());
        m_cursor.insertText(m_text, charFormat());
        m_text.clear();
    }

    // The last \par ends the last paragraph; it does not start an empty one.
    void dropFinalParagraphMark()
    {
        if (!m_endsWithParagraphMark || !m_cursor.block().previous().isValid())
            return;
        const QTextBlockFormat format = m_cursor.block().previous().blockFormat();
        m_cursor.deletePreviousChar();
        m_cursor.setBlockFormat(format);
    }

    QTextCharFormat charFormat()
    {
        const State &s = state();
        QTextCharFormat format;
        format.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(s.italic);
        format.setFontUnderline(s.underline);
        format.setFontPointSize(s.halfPoints / 2.0);
        const auto font = m_fonts.constFind(s.font >= 0 ? s.font : m_defaultFont);
        if (font != m_fonts.cend())
            format.setFontFamilies({*font});
        if (s.color >= 0 && s.color < m_colors.size() && m_colors[s.color].isValid())
            format.setForeground(m_colors[s.color]);
        return format;
    }

    QTextBlockFormat blockFormat()
    {
        const State &s = state();
        QTextBlockFormat format;
        format.setAlignment(s.alignment);
        format.setLeftMargin(double(s.leftTwips) / kTwipsPerPx);
        format.setTextIndent(double(s.firstLineTwips) / kTwipsPerPx);
        format.setTopMargin(double(s.spaceBeforeTwips) / kTwipsPerPx);
        format.setBottomMargin(double(s.spaceAfterTwips) / kTwipsPerPx);
        // As in word processors, a hanging indent has a tab stop at the left
        // indent, so "bullet \tab text" lines up with the wrapped lines. Qt
        // measures tab stops from the start of the first line.
        if (s.firstLineTwips < 0)
            format.setTabPositions({QTextOption::Tab(-double(s.firstLineTwips) / kTwipsPerPx, QTextOption::LeftTab)});
        return format;
    }

    static bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    static int hexValue(char c)
    {
        if (isDigit(c)) return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    QByteArrayView m_in;
    qsizetype m_pos = 0;
    QTextCursor m_cursor;
    // Outside the outermost group nothing is text.
    std::vector<State> m_stack{State{Destination::Ignored}};
    qsizetype m_droppedDepth = 0;
    int m_skipCount = 0;
    QString m_text;
    bool m_endsWithParagraphMark = false;

    QHash<int, QString> m_fonts;
    int m_defaultFont = 0;
    int m_fontNumber = 0;
    QString m_fontName;

    QList<QColor> m_colors;
    int m_red = -1, m_green = -1, m_blue = -1;
};

} // namespace

void RtfReader::read(QByteArrayView rtf, QTextDocument &document)
{
    // No undo history: it would only double the memory of a read-only text.
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    document.clear();
    if (rtf.trimmed().startsWith("{\\rtf"))
        Parser(rtf, document).run();
    else
        document.setPlainText(QString::fromUtf8(rtf));
    document.setUndoRedoEnabled(undo);
}
