#pragma once

#include <QString>

namespace kv {

// The folder of the program's own files (table.xlsx, images/), with a trailing separator.
// By default the folder of the running executable; tests point it at a fixture folder.
QString programDir();
void setProgramDir(const QString& dir);
// programDir() + "images/" + fileName
QString imagePath(const QString& fileName);

} // namespace kv
