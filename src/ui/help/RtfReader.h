#pragma once

#include <QByteArrayView>

class QTextDocument;

// Reads the common subset of RTF (as written by hand or by WordPad) into a
// QTextDocument: text, paragraphs, bold/italic/underline, font sizes and
// names, colours, alignment and indents. Anything else is ignored. Malformed
// input never fails; it yields whatever text could be recovered.
class RtfReader
{
public:
    // Replaces the document's content with the converted text.
    static void read(QByteArrayView rtf, QTextDocument &document);
};
