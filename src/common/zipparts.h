#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace kv {

// One file inside a zip archive.
struct ZipPart {
    QString name;
    QByteArray bytes;
};

// Reads every part of a zip archive, in the archive's order. On failure returns false and says
// why in `why` (the path is not part of it).
bool readZipParts(const QString& path, std::vector<ZipPart>& parts, QString& why);

// Writes a new zip archive (deflated) with the parts in the given order. On failure the file is
// removed and kv::Error ("Cannot create file ...") is thrown.
void writeZipParts(const QString& path, const std::vector<ZipPart>& parts);

} // namespace kv
