#include "pools/tform8.h"

#include "common/dialogs.h"
#include "common/guard.h"
#include "common/gui_theme.h"
#include "common/gui_windowplace.h"
#include "common/services.h"
#include "pools/gui_memo.h"
#include "pools/poolfile_editor.h"
#include "pools/pools.h"

#include <QFile>

const QString TForm8::kLogChangedQuestion = QStringLiteral(
    "Файл all_last.txt изменился после того, как его загрузили в это окно (например, "
    "«Расписание» дописало в него команды).\n\n"
    "Yes — сохранить текст окна поверх файла; новые строки файла пропадут.\n"
    "No — загрузить файл заново и продолжить правку.\n"
    "Cancel — ничего не менять.");
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
    // Before the controls exist, so that they are made with it instead of each being told of
    // a change.
    setFont(kv::classicFont(11));
    setupUi(this);
    connect(Button1, &QPushButton::clicked, this, &TForm8::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm8::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm8::Button3Click);

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
    // The fixed colours keep their hue; a background of their own makes them readable on the
    // dark window.
    label->setStyleSheet(QStringLiteral("color: %1; background-color: %2; padding: 0 2px;")
                             .arg(color.name(), kv::readableBackground(color).name()));
    label->setFont(font()); // its own sheet drops the inherited window font
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

void TForm8::loadLog() {
    const kv::EditableText log = kv::loadEditableText(kv::kLogFile);
    kv::setMemoText(Memo1, log.text);
    encoding_ = log.encoding;
    loaded_ = logBytes();
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
