#pragma once

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QStandardPaths>
#include <QString>

namespace kv {

// A kind of file the program saves for the players (the sheet as PDF, a table as CSV).
struct SaveKind {
    QString suffix;       // without the dot: "pdf"
    QString name;         // in messages: "PDF-файл"
    QString filter;       // for the file dialog: "PDF (*.pdf)"
    QByteArray signature; // how a file of the kind begins; empty: any text without zero bytes
    // Where the players keep such files, proposed until they save somewhere themselves.
    QStandardPaths::StandardLocation home = QStandardPaths::DocumentsLocation;
};
const SaveKind& pdfKind();
const SaveKind& csvKind();
const SaveKind& xlsxKind();
const SaveKind& pngKind();
// Of several kinds offered, the one whose extension the chosen name has, else the first.
const SaveKind& kindOfChosen(const QString& chosen, const QList<SaveKind>& kinds);

// Where a save is to go, once the players' choice is checked.
struct SaveTarget {
    QString path;    // the chosen name, with the kind's extension when it had none
    QString refusal; // why the program will not save there, in the players' words; empty: it may
    bool replaces = false; // an older file of the same kind is there (ask before replacing it)
};

// Checks a chosen name. A save never replaces one of the program's own files (those of the
// data folder: base.db, settings.ini, the .txt files, temp, backups/...; the lock) nor a file
// that is not of the kind being saved, whatever its name says: a name that points at such a file
// is refused as it was typed. Any other name lacking the kind's extension gets it.
SaveTarget checkSaveTarget(const QString& chosen, const SaveKind& kind,
                           const QString& dataFolder = QDir::currentPath());

// folder/base.<suffix>, or the first of base-2, base-3, ... that is not there yet.
QString unusedSavePath(const QString& folder, const QString& base, const SaveKind& kind);

// The folder the players last saved into, while it is there; else their folder of such files
// (documents, pictures), else their home. Kept in the program's own settings, not in the data
// folder.
QString saveFolder(QStandardPaths::StandardLocation home = QStandardPaths::DocumentsLocation);
void rememberSaveFolder(const QString& folder);

} // namespace kv
