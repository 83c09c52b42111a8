// Feeds any bytes to the RTF reader of the help window and lays the result out,
// as the help window would.
#include "ui/help/RtfReader.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>

namespace {

// Fonts and layout need a GUI application; one for the whole run.
void ensureApplication()
{
    static int argc = 1;
    static char name[] = "rtf_reader_fuzz";
    static char *argv[] = {name, nullptr};
    static QGuiApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ensureApplication();
    QTextDocument document;
    RtfReader::read(QByteArrayView(data, qsizetype(size)), document);
    document.setTextWidth(400);
    (void)document.documentLayout()->documentSize();
    (void)document.toPlainText();
    return 0;
}
