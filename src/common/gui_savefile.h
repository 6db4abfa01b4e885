#pragma once

#include "common/savepath.h"

#include <QString>

#include <functional>

class QImage;
class QWidget;

namespace kv {

class Dialogs;

// Asks where to save, proposing a path; returns the chosen path, empty when the players cancel.
using ChooseSaveFile = std::function<QString(QWidget* parent, const QString& proposed)>;

// The file dialog of the program's saves, in the players' language, for one kind of file.
ChooseSaveFile fileDialogChooser(const QString& title, const SaveKind& kind);
// The same for a choice of kinds: a filter each, the first proposed.
ChooseSaveFile fileDialogChooser(const QString& title, const QList<SaveKind>& kinds);

// The whole choice of where to save: proposes base.<suffix> (or base-2, ...) in the folder last
// saved into, lets the players choose, refuses in their words a name the program must not write
// (see checkSaveTarget) and asks before an older file of the kind is replaced. Returns the path
// to write, empty when nothing is to be saved. The folder chosen is remembered.
QString askSavePath(QWidget* parent, Dialogs& dialogs, const SaveKind& kind, const QString& base,
                    const ChooseSaveFile& choose);
// The same for a choice of kinds: the first is proposed, the chosen name's extension decides.
QString askSavePath(QWidget* parent, Dialogs& dialogs, const QList<SaveKind>& kinds,
                    const QString& base, const ChooseSaveFile& choose);

// Writes a picture as PNG through writeBytes: an older file of that name stays whole until the
// new one is, also on a disk that fills up. Throws kv::Error when it cannot be written.
void savePng(const QString& path, const QImage& image);

} // namespace kv
