#include "common/gui_savefile.h"

#include "common/dialogs.h"
#include "common/errors.h"
#include "common/textfile.h"

#include <QBuffer>
#include <QImage>

#include <QFileDialog>
#include <QFileInfo>

namespace kv {

ChooseSaveFile fileDialogChooser(const QString& title, const SaveKind& kind) {
    return fileDialogChooser(title, QList<SaveKind>{kind});
}

ChooseSaveFile fileDialogChooser(const QString& title, const QList<SaveKind>& kinds) {
    return [title, kinds](QWidget* parent, const QString& proposed) {
        QStringList filters;
        for (const SaveKind& kind : kinds)
            filters.append(kind.filter);
        QFileDialog dialog(parent, title, QFileInfo(proposed).path(),
                           filters.join(QStringLiteral(";;")));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(kinds.front().suffix);
        // A name typed without an extension gets the one of the filter chosen.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, kinds](const QString& filter) {
                             for (const SaveKind& kind : kinds)
                                 if (kind.filter == filter)
                                     dialog.setDefaultSuffix(kind.suffix);
                         });
        // The same dialog everywhere; replacing a file is asked by the program in Russian.
        dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
        dialog.selectFile(QFileInfo(proposed).fileName());
        if (dialog.exec() != QDialog::Accepted)
            return QString();
        return dialog.selectedFiles().value(0);
    };
}

QString askSavePath(QWidget* parent, Dialogs& dialogs, const SaveKind& kind, const QString& base,
                    const ChooseSaveFile& choose) {
    return askSavePath(parent, dialogs, QList<SaveKind>{kind}, base, choose);
}

QString askSavePath(QWidget* parent, Dialogs& dialogs, const QList<SaveKind>& kinds,
                    const QString& base, const ChooseSaveFile& choose) {
    const QString chosen =
        choose ? choose(parent, unusedSavePath(saveFolder(kinds.front().home), base, kinds.front())) : QString();
    if (chosen.isEmpty())
        return QString();
    const SaveTarget target = checkSaveTarget(chosen, kindOfChosen(chosen, kinds));
    if (!target.refusal.isEmpty()) {
        dialogs.information(target.refusal);
        return QString();
    }
    if (target.replaces &&
        dialogs.yesNo(QStringLiteral("Файл «%1» уже есть. Заменить его?")
                          .arg(QDir::toNativeSeparators(target.path))) != Dialogs::Answer::Yes)
        return QString();
    rememberSaveFolder(QFileInfo(target.path).absolutePath());
    return target.path;
}

void savePng(const QString& path, const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw cannotCreate(path, QStringLiteral("картинку не удалось записать"));
    writeBytes(path, bytes);
}

} // namespace kv
