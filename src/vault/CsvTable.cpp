#include "CsvTable.h"

#include <QStringDecoder>

#include <csv.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr QByteArrayView Utf8Bom = "\xEF\xBB\xBF";

struct Collector
{
    std::vector<CsvTable::Row> rows;
    CsvTable::Row current;
    bool badUtf8 = false;

    void addField(const char *data, size_t size)
    {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        current.append(decoder(QByteArrayView(data, qsizetype(size))));
        badUtf8 = badUtf8 || decoder.hasError();
    }
    void endRow()
    {
        rows.push_back(std::move(current));
        current = {};
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

} // namespace

namespace CsvTable {

Result<std::vector<Row>> read(QByteArrayView utf8)
{
    if (utf8.startsWith(Utf8Bom))
        utf8 = utf8.sliced(Utf8Bom.size());
    std::unique_ptr<csv_parser, ParserDeleter> parser(new csv_parser);
    if (csv_init(parser.get(), CSV_STRICT | CSV_STRICT_FINI) != 0)
        return Error{u"Could not start the CSV reader"_s};
    csv_set_space_func(parser.get(), noSpaces);
    Collector collector;
    const size_t size = size_t(utf8.size());
    const bool parsed = csv_parse(parser.get(), utf8.data(), size, onField, onRowEnd, &collector) == size
            && csv_fini(parser.get(), onField, onRowEnd, &collector) == 0;
    if (!parsed) {
        return Error{u"The file is not valid CSV: %1 (after record %2)"_s.arg(
                QString::fromUtf8(csv_strerror(csv_error(parser.get()))),
                QString::number(collector.rows.size()))};
    }
    if (collector.badUtf8)
        return Error{u"The file is not UTF-8 text"_s};
    return std::move(collector.rows);
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
