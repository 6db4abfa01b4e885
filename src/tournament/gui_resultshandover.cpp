#include "tournament/gui_resultshandover.h"

#include "common/errors.h"
#include "common/gui_windowplace.h"

#include <QAbstractButton>
#include <QLabel>
#include <QWidget>

namespace kv {

namespace {

[[noreturn]] void missing(const QString& name) {
    throw Error(QStringLiteral("The results window has no control \"%1\".").arg(name));
}

} // namespace

void handOverToResults(QWidget* resultsWindow, const QList<HandOverText>& texts) {
    if (!resultsWindow)
        throw Error(QStringLiteral("The results window is not there."));
    QAbstractButton* compute =
        resultsWindow->findChild<QAbstractButton*>(QStringLiteral("Button1"));
    if (!compute)
        missing(QStringLiteral("Button1"));
    // Look every control up first, so that a missing one changes nothing.
    QList<QWidget*> targets;
    for (const HandOverText& item : texts) {
        QWidget* target = resultsWindow->findChild<QLabel*>(item.control);
        if (!target)
            target = resultsWindow->findChild<QAbstractButton*>(item.control);
        if (!target)
            missing(item.control);
        targets.append(target);
    }
    // A new evening ends a correction the window may hold: its write must store the new one.
    QMetaObject::invokeMethod(resultsWindow, "abandonCorrection", Qt::DirectConnection);
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (auto* label = qobject_cast<QLabel*>(targets[i]))
            label->setText(texts[i].text);
        else
            static_cast<QAbstractButton*>(targets[i])->setText(texts[i].text);
    }
    compute->setEnabled(true);
    showInFront(resultsWindow);
}

} // namespace kv
