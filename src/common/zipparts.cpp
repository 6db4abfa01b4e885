#include "common/zipparts.h"

#include "common/errors.h"

#include <QFile>
#include <QStringList>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>
#include <zlib.h>

#include <algorithm>

namespace kv {

bool readZipParts(const QString& path, std::vector<ZipPart>& parts, QString& why) {
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip)) {
        why = QStringLiteral("это не zip-архив");
        return false;
    }
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFile file(&zip);
        ZipPart part;
        part.name = zip.getCurrentFileName();
        if (!file.open(QIODevice::ReadOnly)) {
            why = QStringLiteral("часть %1 не распаковать").arg(part.name);
            return false;
        }
        part.bytes = file.readAll();
        file.close();
        if (file.getZipError() != UNZ_OK) {
            why = QStringLiteral("часть %1 не распаковать").arg(part.name);
            return false;
        }
        parts.push_back(std::move(part));
    }
    if (zip.getZipError() != UNZ_OK) {
        why = QStringLiteral("архив повреждён");
        return false;
    }
    return true;
}

void writeZipParts(const QString& path, const std::vector<ZipPart>& parts) {
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdCreate))
        throw cannotCreate(path, QStringLiteral("zip error %1").arg(zip.getZipError()));
    const auto fail = [&](int code) {
        zip.close();
        QFile::remove(path);
        throw cannotCreate(path, QStringLiteral("zip error %1").arg(code));
    };
    for (const ZipPart& part : parts) {
        QuaZipFile file(&zip);
        QuaZipNewInfo info(part.name);
        info.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                            QFileDevice::ReadGroup | QFileDevice::ReadOther);
        // A window no larger than the part needs: the compressor's memory then stays small
        // enough to come from the heap, instead of fresh pages mapped and unmapped for each of
        // a workbook's dozen small parts. A window that holds the whole part loses nothing.
        int windowBits = 9;
        while (windowBits < MAX_WBITS && (qsizetype(1) << windowBits) < part.bytes.size())
            ++windowBits;
        const int memLevel = std::clamp(windowBits - 6, 1, MAX_MEM_LEVEL);
        // Pictures are compressed already: they are stored as they are.
        static const QStringList packed{QStringLiteral(".png"), QStringLiteral(".jpeg"),
                                        QStringLiteral(".jpg"), QStringLiteral(".gif")};
        const bool store = std::any_of(packed.cbegin(), packed.cend(), [&](const QString& ext) {
            return part.name.endsWith(ext, Qt::CaseInsensitive);
        });
        if (!file.open(QIODevice::WriteOnly, info, nullptr, 0, store ? 0 : Z_DEFLATED,
                       Z_DEFAULT_COMPRESSION, false, windowBits, memLevel) ||
            file.write(part.bytes) != part.bytes.size())
            fail(file.getZipError());
        file.close();
        if (file.getZipError() != ZIP_OK)
            fail(file.getZipError());
    }
    zip.close();
    if (zip.getZipError() != ZIP_OK) {
        QFile::remove(path);
        throw cannotCreate(path, QStringLiteral("zip error %1").arg(zip.getZipError()));
    }
}

} // namespace kv
