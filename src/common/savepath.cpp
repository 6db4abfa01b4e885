#include "common/savepath.h"

#include "common/settings.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>

namespace kv {

namespace {

const QString kFolderKey = QStringLiteral("save/folder");

// The file a path leads to: a link is followed, also when what it names is not there yet.
QString resolved(const QString& path) {
    const QFileInfo info(path);
    if (info.exists())
        return info.canonicalFilePath();
    if (info.isSymLink())
        return QFileInfo(info.symLinkTarget()).absoluteFilePath();
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : folder + QLatin1Char('/') + info.fileName();
}

// The data folder holds nothing a save may take: the players' files by name, the safety copies
// and every hidden file of the program (the lock, a database being made).
bool isDataFile(const QString& path, const QString& dataFolder) {
    const QString folder = QFileInfo(dataFolder).canonicalFilePath();
    if (folder.isEmpty())
        return false;
    const QString backups = folder + QStringLiteral("/backups/");
    if (path.startsWith(backups))
        return true;
    const QFileInfo info(path);
    if (info.absolutePath() != folder)
        return false;
    static const QRegularExpression own(
        QStringLiteral("^(\\..*|temp|base\\.db(-journal|-wal|-shm)?|.*\\.txt)$"),
        QRegularExpression::CaseInsensitiveOption);
    const QString name = info.fileName();
    return name == settings::kFileName || name == QLatin1String("backups") ||
           own.match(name).hasMatch();
}

bool isOfKind(const QString& path, const SaveKind& kind) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(4096);
    if (!kind.signature.isEmpty())
        return head.startsWith(kind.signature);
    return !head.contains('\0');
}

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Why the file at path may not be written; empty when it may.
QString refusalFor(const QString& path, const SaveKind& kind, const QString& dataFolder) {
    const QFileInfo info(path);
    if (isDataFile(resolved(path), dataFolder))
        return QStringLiteral("«%1» — файл данных программы, его нельзя заменить. Выберите другое "
                              "имя или другую папку.")
            .arg(shown(path));
    if (info.isDir())
        return QStringLiteral("«%1» — это папка. Впишите имя файла.").arg(shown(path));
    if ((info.exists() || info.isSymLink()) && !(info.isFile() && isOfKind(path, kind)))
        return QStringLiteral("Файл «%1» уже есть, и это не %2: программа не заменяет файлы "
                              "другого рода. Выберите другое имя.")
            .arg(shown(path), kind.name);
    return QString();
}

bool hasSuffix(const QString& path, const SaveKind& kind) {
    return QFileInfo(path).suffix().compare(kind.suffix, Qt::CaseInsensitive) == 0;
}

} // namespace

const SaveKind& pdfKind() {
    static const SaveKind kind{QStringLiteral("pdf"), QStringLiteral("PDF-файл"),
                               QStringLiteral("PDF (*.pdf)"), QByteArrayLiteral("%PDF")};
    return kind;
}

const SaveKind& csvKind() {
    static const SaveKind kind{QStringLiteral("csv"), QStringLiteral("таблица CSV"),
                               QStringLiteral("CSV (*.csv)"), QByteArray()};
    return kind;
}

const SaveKind& xlsxKind() {
    static const SaveKind kind{QStringLiteral("xlsx"), QStringLiteral("книга Excel"),
                               QStringLiteral("Книга Excel (*.xlsx)"),
                               QByteArrayLiteral("PK\x03\x04")};
    return kind;
}

const SaveKind& pngKind() {
    static const SaveKind kind{QStringLiteral("png"), QStringLiteral("картинка PNG"),
                               QStringLiteral("Картинка PNG (*.png)"),
                               QByteArrayLiteral("\x89PNG\r\n\x1a\n"),
                               QStandardPaths::PicturesLocation};
    return kind;
}

const SaveKind& kindOfChosen(const QString& chosen, const QList<SaveKind>& kinds) {
    for (const SaveKind& kind : kinds)
        if (hasSuffix(chosen, kind))
            return kind;
    return kinds.front();
}

SaveTarget checkSaveTarget(const QString& chosen, const SaveKind& kind, const QString& dataFolder) {
    SaveTarget target;
    target.path = chosen;
    if (!hasSuffix(chosen, kind)) {
        // A name that points at a file as typed means that file: say why it stays.
        const QFileInfo typed(chosen);
        if (typed.exists() || typed.isSymLink() || isDataFile(resolved(chosen), dataFolder)) {
            target.refusal = refusalFor(chosen, kind, dataFolder);
            if (!target.refusal.isEmpty())
                return target;
        }
        target.path = chosen + QLatin1Char('.') + kind.suffix;
    }
    target.refusal = refusalFor(target.path, kind, dataFolder);
    target.replaces = target.refusal.isEmpty() && QFileInfo::exists(target.path);
    return target;
}

QString unusedSavePath(const QString& folder, const QString& base, const SaveKind& kind) {
    const QDir dir(folder);
    QString path = dir.absoluteFilePath(base + QLatin1Char('.') + kind.suffix);
    for (int n = 2; QFileInfo::exists(path) || QFileInfo(path).isSymLink(); ++n)
        path = dir.absoluteFilePath(QStringLiteral("%1-%2.%3").arg(base).arg(n).arg(kind.suffix));
    return path;
}

namespace {

QString programSettingsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
           QStringLiteral("/kickvale.conf");
}

} // namespace

QString saveFolder(QStandardPaths::StandardLocation home) {
    const QString remembered =
        QSettings(programSettingsFile(), QSettings::IniFormat).value(kFolderKey).toString();
    if (!remembered.isEmpty() && QFileInfo(remembered).isDir())
        return remembered;
    for (const auto location : {home, QStandardPaths::DocumentsLocation}) {
        const QString folder = QStandardPaths::writableLocation(location);
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            return folder;
    }
    return QDir::homePath();
}

void rememberSaveFolder(const QString& folder) {
    QSettings(programSettingsFile(), QSettings::IniFormat).setValue(kFolderKey, folder);
}

} // namespace kv
