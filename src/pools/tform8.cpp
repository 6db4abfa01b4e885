#include "pools/tform8.h"

#include "common/dialogs.h"
#include "common/guard.h"
#include "common/gui_theme.h"
#include "common/gui_windowplace.h"
#include "common/services.h"
#include "pools/gui_memo.h"
#include "pools/poolfile_editor.h"
#include "pools/pools.h"

#include <QCloseEvent>
#include <QFile>

const QString TForm8::kLogChangedQuestion = QStringLiteral(
    "Файл all_last.txt изменился после того, как его загрузили в это окно (например, "
    "«Расписание» дописало в него команды).\n\n"
    "Yes — сохранить текст окна поверх файла; новые строки файла пропадут.\n"
    "No — загрузить файл заново и продолжить правку.\n"
    "Cancel — ничего не менять.");
const QString TForm8::kUnsavedQuestion = QStringLiteral(
    "Список последних команд изменён, но не сохранён.\n\n"
    "Сохранить изменения в all_last.txt перед тем, как закрыть окно? Если ответить «нет», "
    "правка пропадёт; «отмена» вернёт к правке.");
const QColor TForm8::kExhaustedColor(255, 0, 0);

namespace {

// The log's bytes now, or nothing when it cannot be read (a save then reports why).
std::optional<QByteArray> logBytes() {
    QFile file(kv::kLogFile);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

} // namespace
const QColor TForm8::kFreeColor(0, 128, 0);

TForm8::TForm8(kv::Services& services, QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services) {
    kv::prepareWindow(this);
    setupUi(this);
    kv::connectGuarded(*services_.dialogs, Button1, &QPushButton::clicked, this,
                       &TForm8::Button1Click);
    kv::connectGuarded(*services_.dialogs, Button2, &QPushButton::clicked, this,
                       &TForm8::Button2Click);
    kv::connectGuarded(*services_.dialogs, Button3, &QPushButton::clicked, this,
                       &TForm8::Button3Click);

    // The labels as marks from the start, so that the window is made wide enough for all
    // seven of them.
    for (QLabel* label : {Label1, Label2, Label3, Label4, Label5, Label6, Label7})
        setLabelColor(label, palette().color(QPalette::WindowText));
    // Sizeable: the memo grows with the window. The start size gives it 457 x 425.
    Memo1->setFixedSize(457, 425);
    adjustSize();
    const QSize start = size();
    Memo1->setMinimumSize(120, 80);
    Memo1->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize(start);
    setMinimumSize(minimumSizeHint());
    move(855, 456);
}

void TForm8::setLabelColor(QLabel* label, const QColor& color) {
    // The fixed colours keep their hue on a black mark of their own: both read on it (red
    // 5.3:1, green 4.1:1) without a light patch in the dark window.
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Window, Qt::black);
    label->setPalette(palette);
    label->setAutoFillBackground(true);
    label->setContentsMargins(1, 0, 1, 0);
    // Never squeezed: the row makes the window wider instead of cutting a pool's name.
    label->setMinimumWidth(label->sizeHint().width());
    if (color == kExhaustedColor)
        label->setToolTip(QStringLiteral("Команды этого списка почти все были недавно: "
                                         "осталось меньше трёх."));
    else if (color == kFreeColor)
        label->setToolTip(QStringLiteral("В этом списке хватает команд, которых не было "
                                         "недавно."));
}

void TForm8::loadLog() {
    const kv::EditableText log = kv::loadEditableText(kv::kLogFile);
    kv::setMemoText(Memo1, log.text);
    encoding_ = log.encoding;
    loaded_ = logBytes();
    loadedText_ = kv::memoText(Memo1);
}

void TForm8::openFromMainWindow() {
    loadLog();
    using kv::Pool;
    const std::pair<Pool, QLabel*> marks[] = {{Pool::NatTeams4, Label6}, {Pool::NatTeams45, Label1},
                                              {Pool::NatTeams5, Label5}, {Pool::Teams4, Label4},
                                              {Pool::Teams45, Label3},   {Pool::Teams5, Label2},
                                              {Pool::SuperTeams, Label7}};
    for (const auto& [pool, label] : marks) {
        const bool exhausted = kv::PoolExhausted(kv::poolFile(pool), kv::kLogFile);
        setLabelColor(label, exhausted ? kExhaustedColor : kFreeColor);
    }
    kv::showInFront(this);
}

void TForm8::Button1Click() {
    kv::guarded(*services_.dialogs, [&] {
        // The edit starts from the file as it is now, not as it was when the window opened.
        loadLog();
        Memo1->setReadOnly(false);
        Button3->setEnabled(true);
        Button1->setEnabled(false);
    });
}

void TForm8::Button3Click() {
    kv::guarded(*services_.dialogs, [&] {
        if (const std::optional<QByteArray> now = logBytes(); now && now != loaded_) {
            switch (services_.dialogs->yesNoCancel(kLogChangedQuestion)) {
            case kv::Dialogs::Answer::Yes:
                break;
            case kv::Dialogs::Answer::No:
                loadLog();
                return;
            default:
                return;
            }
        }
        // Saved as typed: a last line without a break is fine, since the schedule's append
        // starts on a new line when the file does not end with one.
        kv::saveEditableText(kv::kLogFile, kv::memoText(Memo1), encoding_);
        encoding_ = kv::savedEncoding(encoding_);
        loaded_ = logBytes();
        loadedText_ = kv::memoText(Memo1);
        Memo1->setReadOnly(true);
        Button3->setEnabled(false);
        Button1->setEnabled(true);
    });
}

void TForm8::Button2Click() {
    kv::guarded(*services_.dialogs, [&] {
        if (services_.dialogs->yesNo(QStringLiteral("Are you sure?")) != kv::Dialogs::Answer::Yes)
            return;
        kv::writeBytes(kv::kLogFile, QByteArray());
        loadLog();
    });
}

void TForm8::closeEvent(QCloseEvent* event) {
    if (!Button3->isEnabled() || kv::memoText(Memo1) == loadedText_) {
        event->accept();
        return;
    }
    switch (services_.dialogs->yesNoCancel(kUnsavedQuestion)) {
    case kv::Dialogs::Answer::Yes:
        Button3Click();
        // A save that failed, or that the players stopped, keeps the window and the edit.
        event->setAccepted(!Button3->isEnabled());
        return;
    case kv::Dialogs::Answer::No:
        // Still editing, as the window was: the next opening starts from the file anyway.
        kv::setMemoText(Memo1, loadedText_);
        event->accept();
        return;
    default:
        event->ignore();
        return;
    }
}
