#include "common/gui_dialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

namespace kv {

namespace {

QMessageBox::StandardButton ask(QMessageBox::Icon icon, const QString& text,
                                QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton escape) {
    QMessageBox box(icon, QApplication::applicationDisplayName(), text, buttons,
                    QApplication::activeWindow());
    box.setEscapeButton(escape);
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

Dialogs::Answer MessageBoxDialogs::yesNoCancel(const QString& text) {
    // Closing the box counts as Cancel, as the Esc key does.
    return toAnswer(ask(QMessageBox::Question, text,
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                        QMessageBox::Cancel));
}

Dialogs::Answer MessageBoxDialogs::yesNo(const QString& text) {
    return toAnswer(
        ask(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No));
}

Dialogs::Answer MessageBoxDialogs::okCancel(const QString& text) {
    return toAnswer(ask(QMessageBox::Warning, text, QMessageBox::Ok | QMessageBox::Cancel,
                        QMessageBox::Cancel));
}

void MessageBoxDialogs::error(const QString& text) {
    ask(QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

namespace {

// Whether the desktop names an application for the file's type. The desktop's opener reports
// success as soon as it starts, even when it then finds nothing to open the file with, so we
// ask first. When we cannot ask, we let the opener try.
bool hasDefaultApplication(const QString& path) {
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return true;
    const QString type = QMimeDatabase().mimeTypeForFile(path).name();
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished(1000);
        return true;
    }
    return query.exitStatus() != QProcess::NormalExit ||
           !query.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace

bool DesktopOpener::open(const QUrl& url) {
    if (url.isLocalFile() && !hasDefaultApplication(url.toLocalFile()))
        return false;
    return QDesktopServices::openUrl(url);
}

} // namespace kv
