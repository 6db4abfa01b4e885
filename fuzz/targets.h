#pragma once
// The bodies of the fuzz targets. The fuzzers (fuzz_*.cpp, built with clang's libFuzzer) and the
// corpus replay in the tests run the same code. Each body aborts on a broken invariant; thrown
// kv::Error is the program's normal answer to a bad file and is fine.

#include "app/settings.h"
#include "common/errors.h"
#include "common/textfile.h"

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace kvfuzz {

inline void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// Any bytes as a text file: decoding never fails, lines hold no line breaks, and what we write
// reads back as the same lines.
inline void textFile(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const kv::DecodedText decoded = kv::decodeText(bytes);
    const QStringList lines = kv::splitLines(decoded.text);
    for (const QString& line : lines)
        check(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')),
              "a line holds a line break");
    check(kv::splitLines(kv::toCrLf(decoded.text)) == lines, "CR LF changes the lines");
    QString joined;
    for (const QString& line : lines)
        joined += line + QLatin1String("\r\n");
    for (kv::TextEncoding encoding : {kv::TextEncoding::Plain, kv::TextEncoding::Utf8Bom,
                                      kv::TextEncoding::Utf16LE, kv::TextEncoding::Utf16BE}) {
        const kv::DecodedText back = kv::decodeText(kv::encodeText(joined, encoding));
        // Lone surrogates cannot survive any Unicode encoding; everything else must.
        if (joined.isValidUtf16())
            check(kv::splitLines(back.text) == lines, "written lines read back differently");
    }
    check(kv::lineAt(lines, lines.size()).isEmpty(), "past the end is not empty");
}

// Any bytes as "settings.ini": every reader ends, and either answers or throws our error.
inline void settingsReaders(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    static const bool entered = QDir::setCurrent(dir.path());
    check(entered, "cannot enter a temporary folder");
    kv::writeBytes(kv::settings::kFileName,
                   QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    const kv::settings::FirstRead first = kv::settings::readFirst();
    check(!first.askFlag.contains(QLatin1Char('\n')), "line 1 holds a line break");
    check(kv::settings::readPlayerNames().size() == 3, "not three names");
    (void)kv::settings::readGiftFlag();
    try {
        (void)kv::settings::readLogAllFlag();
    } catch (const kv::Error& e) {
        check(e.text().endsWith(QStringLiteral("is not a valid integer value")), "unexpected error");
    }
}

} // namespace kvfuzz
