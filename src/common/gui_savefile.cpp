#include "common/gui_savefile.h"

#include "common/dialogs.h"

#include <QFileDialog>
#include <QFileInfo>

namespace kv {

ChooseSaveFile fileDialogChooser(const QString& title, const SaveKind& kind) {
    return [title, kind](QWidget* parent, const QString& proposed) {
        QFileDialog dialog(parent, title, QFileInfo(proposed).path(), kind.filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(kind.suffix);
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
    const QString chosen =
        choose ? choose(parent, unusedSavePath(saveFolder(), base, kind)) : QString();
    if (chosen.isEmpty())
        return QString();
    const SaveTarget target = checkSaveTarget(chosen, kind);
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

} // namespace kv
