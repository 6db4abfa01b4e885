#include "pools/poolfile_editor.h"

namespace kv {

EditableText loadEditableText(const QString& path) {
    DecodedText decoded = readText(path);
    return {toCrLf(decoded.text), decoded.encoding};
}

QString lineCountCaption(const QString& text) {
    return QStringLiteral("(%1)").arg(splitLines(text).size());
}

TextEncoding savedEncoding(TextEncoding readAs) {
    return readAs == TextEncoding::Windows1251 ? TextEncoding::Plain : readAs;
}

void saveEditableText(const QString& path, const QString& text, TextEncoding encoding) {
    writeText(path, toCrLf(text), savedEncoding(encoding));
}

} // namespace kv
