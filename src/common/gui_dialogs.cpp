#include "common/gui_dialogs.h"

#include "common/gui_windowmanners.h"
#include "common/programdir.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QTranslator>

#include <memory>

namespace kv {

namespace {

// Over the window whose command asks: a command may have brought another one forward.
QWidget* boxParent() {
    QWidget* over = WindowManners::commandWindow();
    return over ? over : QApplication::activeWindow();
}

QMessageBox::StandardButton ask(QMessageBox::Icon icon, const QString& text,
                                QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton escape,
                                const Dialogs::Captions* captions = nullptr,
                                QMessageBox::StandardButton enter = QMessageBox::NoButton) {
    QMessageBox box(icon, programTitle(), text, buttons, boxParent());
    box.setTextFormat(Qt::PlainText);
    box.setEscapeButton(escape);
    if (enter != QMessageBox::NoButton)
        box.setDefaultButton(enter);
    if (captions) {
        box.button(QMessageBox::Yes)->setText(captions->yes);
        box.button(QMessageBox::No)->setText(captions->no);
        box.button(QMessageBox::Cancel)->setText(captions->cancel);
    }
    const int result = box.exec();
    return static_cast<QMessageBox::StandardButton>(result);
}

Dialogs::Answer toAnswer(QMessageBox::StandardButton button) {
    switch (button) {
    case QMessageBox::Ok:
        return Dialogs::Answer::Ok;
    case QMessageBox::Yes:
        return Dialogs::Answer::Yes;
    case QMessageBox::No:
        return Dialogs::Answer::No;
    case QMessageBox::Cancel:
        return Dialogs::Answer::Cancel;
    default:
        return Dialogs::Answer::Closed;
    }
}

} // namespace

void MessageBoxDialogs::information(const QString& text) {
    ask(QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool MessageBoxDialogs::informationWithOffer(const QString& text, const QString& offer) {
    QMessageBox box(QMessageBox::Information, programTitle(), text, QMessageBox::Ok, boxParent());
    box.setTextFormat(Qt::PlainText);
    const QAbstractButton* taken = box.addButton(offer, QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
    return box.clickedButton() == taken;
}

Dialogs::Answer MessageBoxDialogs::yesNoCancel(const QString& text) {
    // Closing the box counts as Cancel, as the Esc key does.
    return toAnswer(ask(QMessageBox::Question, text,
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                        QMessageBox::Cancel));
}

Dialogs::Answer MessageBoxDialogs::yesNoCancel(const QString& text, const Captions& captions) {
    return toAnswer(ask(QMessageBox::Question, text,
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                        QMessageBox::Cancel, &captions));
}

Dialogs::Answer MessageBoxDialogs::yesNo(const QString& text, Answer defaultAnswer) {
    // Every Yes/No question of the program asks before something that cannot be taken back
    // (losing an evening, deleting, replacing): Enter gives the safe answer unless told.
    return toAnswer(ask(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
                        QMessageBox::No, nullptr,
                        defaultAnswer == Answer::Yes ? QMessageBox::Yes : QMessageBox::No));
}

Dialogs::Answer MessageBoxDialogs::okCancel(const QString& text) {
    return toAnswer(ask(QMessageBox::Warning, text, QMessageBox::Ok | QMessageBox::Cancel,
                        QMessageBox::Cancel));
}

void MessageBoxDialogs::error(const QString& text) {
    ask(QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool installToolkitTranslations(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ru"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

DesktopOpener::~DesktopOpener() {
    // Questions still running answer nobody.
    for (QProcess* query : findChildren<QProcess*>())
        query->disconnect();
}

bool DesktopOpener::open(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

// The desktop's opener reports success as soon as it starts, even when it then finds nothing
// to open the file with, so we ask which application takes the type first. When we cannot ask,
// or the answer does not come in time, we let the opener try.
void DesktopOpener::openFile(const QString& path, QObject* context,
                             std::function<void(bool opened)> done) {
    QObject* receiver = context ? context : this;
    const QUrl url = QUrl::fromLocalFile(path);
    const auto finish = [url, done](bool refused) {
        const bool opened = !refused && QDesktopServices::openUrl(url);
        if (done)
            done(opened);
    };
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty()) {
        QMetaObject::invokeMethod(
            receiver, [finish] { finish(false); }, Qt::QueuedConnection);
        return;
    }
    auto* query = new QProcess(this);
    auto settled = std::make_shared<bool>(false);
    const auto settle = [query, settled, finish](bool refused) {
        if (*settled)
            return;
        *settled = true;
        query->deleteLater();
        finish(refused);
    };
    connect(query, &QProcess::finished, receiver,
            [query, settle](int, QProcess::ExitStatus status) {
                settle(status == QProcess::NormalExit &&
                       query->readAllStandardOutput().trimmed().isEmpty());
            });
    connect(query, &QProcess::errorOccurred, receiver, [settle](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            settle(false);
    });
    // Cleans up also when the context went first.
    connect(query, &QProcess::finished, query, &QObject::deleteLater);
    QTimer::singleShot(4000, query, [query] { query->kill(); });
    query->start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"),
                           QMimeDatabase().mimeTypeForFile(path).name()});
}

} // namespace kv
