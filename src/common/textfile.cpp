#include "common/textfile.h"

#include "common/errors.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace kv {

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF", 3);
const QByteArray kUtf16LeBom("\xFF\xFE", 2);
const QByteArray kUtf16BeBom("\xFE\xFF", 2);

QString decodeWith(QStringConverter::Encoding encoding, QByteArrayView bytes) {
    // The mark is already cut off: a further U+FEFF is text and stays.
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless |
                                         QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

QString decodeWindows1251(QByteArrayView bytes) {
    QStringDecoder decoder("windows-1251", QStringConverter::Flag::Stateless);
    if (!decoder.isValid()) // a Qt without ICU still reads the file, if not its Cyrillic
        return QString::fromLatin1(bytes.data(), bytes.size());
    return decoder.decode(bytes);
}

// The text of bytes that are valid UTF-8 throughout, decoded once; none when they are not.
std::optional<QString> decodeValidUtf8(QByteArrayView bytes) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                       QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

DecodedText decodeText(const QByteArray& bytes) {
    if (bytes.startsWith(kUtf8Bom))
        return {decodeWith(QStringConverter::Utf8, QByteArrayView(bytes).sliced(3)),
                TextEncoding::Utf8Bom};
    if (bytes.startsWith(kUtf16LeBom))
        return {decodeWith(QStringConverter::Utf16LE, QByteArrayView(bytes).sliced(2)),
                TextEncoding::Utf16LE};
    if (bytes.startsWith(kUtf16BeBom))
        return {decodeWith(QStringConverter::Utf16BE, QByteArrayView(bytes).sliced(2)),
                TextEncoding::Utf16BE};
    if (std::optional<QString> text = decodeValidUtf8(bytes))
        return {std::move(*text), TextEncoding::Plain};
    return {decodeWindows1251(bytes), TextEncoding::Windows1251};
}

QByteArray encodeText(const QString& text, TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf8Bom:
        return kUtf8Bom + text.toUtf8();
    case TextEncoding::Utf16LE: {
        QStringEncoder encoder(QStringConverter::Utf16LE);
        return kUtf16LeBom + QByteArray(encoder.encode(text));
    }
    case TextEncoding::Utf16BE: {
        QStringEncoder encoder(QStringConverter::Utf16BE);
        return kUtf16BeBom + QByteArray(encoder.encode(text));
    }
    case TextEncoding::Windows1251:
    case TextEncoding::Plain:
        break;
    }
    // Text we write ourselves is always UTF-8: it holds any name the players type. A text that
    // begins with U+FEFF would read back as a mark, so it gets a real mark in front.
    if (text.startsWith(QChar(0xFEFF)))
        return kUtf8Bom + text.toUtf8();
    return text.toUtf8();
}

QStringList splitLines(const QString& text) {
    QStringList lines;
    forEachLine(text, [&lines](QStringView line) { lines.append(line.toString()); });
    return lines;
}

QString toCrLf(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / 16);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r')) {
            out += QLatin1String("\r\n");
            if (i + 1 < n && text[i + 1] == QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('\n')) {
            out += QLatin1String("\r\n");
        } else {
            out += c;
        }
    }
    return out;
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw cannotOpen(path, file.errorString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw cannotOpen(path, file.errorString());
    return bytes;
}

DecodedText readText(const QString& path) {
    return decodeText(readBytes(path));
}

QStringList readLines(const QString& path) {
    return splitLines(readText(path).text);
}

int countLines(const QString& path) {
    return static_cast<int>(readLines(path).size());
}

QString lineAt(const QStringList& lines, qsizetype i) {
    return i >= 0 && i < lines.size() ? lines[i] : QString();
}

QString readFirstLine(const QString& path) {
    return lineAt(readLines(path), 0);
}

std::optional<QString> valueAfterMarker(const QStringList& lines, const QString& marker,
                                        qsizetype offset) {
    const qsizetype at = lines.indexOf(marker);
    if (at < 0)
        return std::nullopt;
    return lineAt(lines, at + 1 + offset);
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw cannotCreate(path, file.errorString());
    // Flushed here and checked: commit() flushes its buffer without looking at the result, so a
    // disk that fills up on the last block would put a truncated file in place of the old one.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw cannotCreate(path, reason);
    }
    if (!file.commit())
        throw cannotCreate(path, file.errorString());
}

void writeLines(const QString& path, const QStringList& lines) {
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    writeBytes(path, text.toUtf8());
}

void writeScratchLines(const QString& path, const QStringList& lines) {
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    const QByteArray bytes = text.toUtf8();
    // A file the user made read-only stays as it is, as with every other rewrite.
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isWritable())
        throw cannotCreate(path, QStringLiteral("Permission denied"));
    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    if (!file.open())
        throw cannotCreate(path, file.errorString());
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw cannotCreate(path, file.errorString());
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    // rename(2) replaces an existing file in one step; QFile::rename would refuse to.
    if (std::rename(QFile::encodeName(file.fileName()).constData(),
                    QFile::encodeName(path).constData()) != 0)
        throw cannotCreate(path, QString::fromLocal8Bit(std::strerror(errno)));
    file.setAutoRemove(false);
}

void writeText(const QString& path, const QString& text, TextEncoding encoding) {
    writeBytes(path, encodeText(text, encoding));
}

void appendLines(const QString& path, const QStringList& lines) {
    QString added;
    for (const QString& line : lines) {
        added += line;
        added += QLatin1String("\r\n");
    }
    if (!QFileInfo::exists(path)) {
        writeBytes(path, added.toUtf8());
        return;
    }
    const QByteArray old = readBytes(path);
    const DecodedText decoded = decodeText(old);
    const bool needsBreak = !decoded.text.isEmpty() && !decoded.text.endsWith(QLatin1Char('\n')) &&
                            !decoded.text.endsWith(QLatin1Char('\r'));
    if (needsBreak)
        added.prepend(QLatin1String("\r\n"));
    switch (decoded.encoding) {
    case TextEncoding::Windows1251:
        writeBytes(path, (decoded.text + added).toUtf8());
        return;
    case TextEncoding::Plain:
    case TextEncoding::Utf8Bom:
        writeBytes(path, old + added.toUtf8());
        return;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
        // The mark is already in the old bytes; append the bare code units.
        QByteArray tail = encodeText(added, decoded.encoding).sliced(2);
        QByteArray head = old;
        if (head.size() % 2 != 0)
            head.chop(1); // a torn last byte would shift every appended character
        writeBytes(path, head + tail);
        return;
    }
    }
}

} // namespace kv
