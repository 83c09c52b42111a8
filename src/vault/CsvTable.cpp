#include "CsvTable.h"

#include <QBuffer>
#include <QFileDevice>
#include <QIODevice>
#include <QStringDecoder>

#include <csv.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr QByteArrayView Utf8Bom = "\xEF\xBB\xBF";
constexpr qint64 PieceSize = 1 << 16;

struct Collector
{
    const std::function<void(CsvTable::Row &&)> &onRow;
    CsvTable::Row current;
    qsizetype rows = 0;
    bool badUtf8 = false;

    void addField(const char *data, size_t size)
    {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        current.append(decoder(QByteArrayView(data, qsizetype(size))));
        badUtf8 = badUtf8 || decoder.hasError();
    }
    void endRow()
    {
        ++rows;
        if (!badUtf8)
            onRow(std::exchange(current, {}));
    }
};

void onField(void *data, size_t size, void *collector)
{
    static_cast<Collector *>(collector)->addField(static_cast<const char *>(data), size);
}

void onRowEnd(int, void *collector)
{
    static_cast<Collector *>(collector)->endRow();
}

int noSpaces(unsigned char)
{
    return 0;
}

struct ParserDeleter
{
    void operator()(csv_parser *parser) const
    {
        csv_free(parser);
        delete parser;
    }
};

Error invalid(csv_parser *parser, qsizetype rows)
{
    return {u"The file is not valid CSV: %1 (after record %2)"_s.arg(
            QString::fromUtf8(csv_strerror(csv_error(parser))), QString::number(rows))};
}

} // namespace

namespace CsvTable {

Result<void> read(QIODevice &input, const std::function<void(Row &&)> &onRow)
{
    std::unique_ptr<csv_parser, ParserDeleter> parser(new csv_parser);
    if (csv_init(parser.get(), CSV_STRICT | CSV_STRICT_FINI) != 0)
        return Error{u"Could not start the CSV reader"_s};
    csv_set_space_func(parser.get(), noSpaces);
    Collector collector{onRow, {}, 0, false};
    bool first = true;
    for (;;) {
        const QByteArray piece = input.read(PieceSize);
        if (piece.isEmpty())
            break;
        QByteArrayView bytes = piece;
        if (std::exchange(first, false) && bytes.startsWith(Utf8Bom))
            bytes = bytes.sliced(Utf8Bom.size());
        if (csv_parse(parser.get(), bytes.data(), size_t(bytes.size()), onField, onRowEnd, &collector)
            != size_t(bytes.size()))
            return invalid(parser.get(), collector.rows);
        if (collector.badUtf8)
            return Error{u"The file is not UTF-8 text"_s};
    }
    if (const auto *file = qobject_cast<QFileDevice *>(&input); file && file->error() != QFileDevice::NoError)
        return Error{u"Could not read the file: %1"_s.arg(file->errorString())};
    if (csv_fini(parser.get(), onField, onRowEnd, &collector) != 0)
        return invalid(parser.get(), collector.rows);
    if (collector.badUtf8)
        return Error{u"The file is not UTF-8 text"_s};
    return {};
}

Result<std::vector<Row>> read(QByteArrayView utf8)
{
    QByteArray bytes = utf8.toByteArray();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    std::vector<Row> rows;
    if (Result<void> done = read(buffer, [&rows](Row &&row) { rows.push_back(std::move(row)); }); !done)
        return done.error();
    return rows;
}

void appendRow(QByteArray &out, const Row &fields)
{
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ',';
        const QByteArray field = fields[i].toUtf8();
        // A quoted field doubles its quotes; csv_write2 does both.
        const bool quote = field.contains(',') || field.contains('"') || field.contains('\r')
                || field.contains('\n');
        if (!quote) {
            out += field;
            continue;
        }
        const qsizetype start = out.size();
        out.resize(start + 2 * field.size() + 2);
        const size_t written = csv_write2(out.data() + start, size_t(out.size() - start),
                                          field.constData(), size_t(field.size()), '"');
        out.resize(start + qsizetype(written));
    }
    out += "\r\n";
}

} // namespace CsvTable
