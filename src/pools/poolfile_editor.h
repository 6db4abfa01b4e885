#pragma once

#include "common/textfile.h"

#include <QString>

// A pool file or the recent-teams log as the editing windows show it: the whole text with CR LF
// line breaks and the encoding it was read in, so that a save writes it back the same way.
namespace kv {

struct EditableText {
    QString text;
    TextEncoding encoding = TextEncoding::Plain;
};

// Throws "Cannot open file ..." when the file cannot be read.
EditableText loadEditableText(const QString& path);

// "(N)": the lines of the text. A final line break adds no empty line; empty lines elsewhere
// count like names.
QString lineCountCaption(const QString& text);

// The encoding a save writes: the one the text was read in, except old Windows-1251 files, which
// become plain UTF-8 (without a mark) like every file the program writes itself.
TextEncoding savedEncoding(TextEncoding readAs);

// Replaces the file with the text as typed: every line break made CR LF, in the encoding (with
// its byte-order mark if it has one), ending with a line break only if the text does. Atomic:
// a failed save ("Cannot create file ...") leaves the old file as it was.
void saveEditableText(const QString& path, const QString& text, TextEncoding encoding);

} // namespace kv
