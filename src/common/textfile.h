#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

namespace kv {

// How a text file's bytes were (or are to be) encoded. Plain files carry no byte-order mark:
// we write them as UTF-8 and read old ones in Windows-1251 when they are not valid UTF-8.
enum class TextEncoding { Plain, Utf8Bom, Utf16LE, Utf16BE, Windows1251 };

struct DecodedText {
    QString text;
    TextEncoding encoding = TextEncoding::Plain;
};

DecodedText decodeText(const QByteArray& bytes);
QByteArray encodeText(const QString& text, TextEncoding encoding);

// Splits on CR LF, lone LF or lone CR. A final line break adds no line; an empty text has none.
QStringList splitLines(const QString& text);
// The same lines, each given to f as a view into text, without a string made for each.
template <typename F> void forEachLine(QStringView text, F&& f) {
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            f(text.sliced(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        f(text.sliced(start));
}
// The same text with every line break made CR LF.
QString toCrLf(const QString& text);

// Reading. A file that cannot be opened throws "Cannot open file ...".
QByteArray readBytes(const QString& path);
DecodedText readText(const QString& path);
QStringList readLines(const QString& path);
int countLines(const QString& path);
// Line i (0-based) of a list; past the end gives an empty value.
QString lineAt(const QStringList& lines, qsizetype i);
QString readFirstLine(const QString& path);
// The line after the first line equal to marker, and further lines after it with offset > 0.
// Stops at the end of the list: no marker gives nullopt; a marker on the last line gives "".
std::optional<QString> valueAfterMarker(const QStringList& lines, const QString& marker,
                                        qsizetype offset = 0);

// Writing. Every whole-file write is atomic: the old content stays if anything fails.
// Failures throw "Cannot create file ...".
void writeBytes(const QString& path, const QByteArray& bytes);
// Lines joined with CR LF, each ended by CR LF, plain UTF-8.
void writeLines(const QString& path, const QStringList& lines);
void writeText(const QString& path, const QString& text, TextEncoding encoding);
// As writeLines, still atomic, but not flushed to the disk before the file replaces the old one:
// for files the program makes again from the others at every start (the candidate list), where
// waiting for the disk would cost more than the whole rest of the work.
void writeScratchLines(const QString& path, const QStringList& lines);
// Appends lines (each ended by CR LF), starting on a new line when the file does not end with
// one. The file keeps its encoding; an old Windows-1251 file is turned into UTF-8 as a whole so
// that it never mixes two encodings. The whole file is rewritten atomically.
void appendLines(const QString& path, const QStringList& lines);

} // namespace kv
