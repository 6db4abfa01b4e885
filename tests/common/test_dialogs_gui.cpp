// The real message boxes: the toolkit's words in Russian, the category question's own buttons,
// and texts shown as typed.
#include "app/startup.h"
#include "common/gui_dialogs.h"
#include "testsupport.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

using Answer = kv::Dialogs::Answer;

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void boxesSpeakRussianAndShowTextAsTyped();
};

void TestDialogs::boxesSpeakRussianAndShowTextAsTyped() {
    QVERIFY2(kv::installToolkitTranslations(*qApp), "install qt6-translations-l10n");
    kv::MessageBoxDialogs d;
    const QString t = QStringLiteral("Вася<img src=\"/dev/zero\"> <b>x</b>");
    // Escape cancels; Enter gives the safe answer of a Yes/No question.
    const std::tuple<std::function<Answer()>, QStringList, Answer, Answer> boxes[] = {
        {[&] { return d.information(t), Answer::Ok; }, {"OK"}, Answer::Ok, Answer::Ok},
        // The offer is taken only by its own button: Enter and Escape leave it.
        {[&] { return d.informationWithOffer(t, "Итоги вечера...") ? Answer::Yes : Answer::Ok; },
         {"OK"},
         Answer::Ok,
         Answer::Ok},
        {[&] { return d.yesNoCancel(t); }, {"Да", "Нет", "Отмена"}, Answer::Cancel, Answer::Yes},
        {[&] { return d.yesNoCancel(t, kv::kCategoryButtons); },
         {"Клубы", "Сборные", "Случайно"},
         Answer::Cancel,
         Answer::Yes},
        {[&] { return d.yesNo(t); }, {"Да", "Нет"}, Answer::No, Answer::No},
        {[&] { return d.okCancel(t); }, {"OK", "Отмена"}, Answer::Cancel, Answer::Ok}};
    for (const auto& [ask, buttons, onEscape, onEnter] : boxes)
        for (const auto& [key, answer] :
             {std::pair{Qt::Key_Escape, onEscape}, std::pair{Qt::Key_Return, onEnter}}) {
            QStringList shown;
            QTimer poll;
            connect(&poll, &QTimer::timeout, [&, key = key] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box)
                    return;
                poll.stop();
                QVERIFY(box->textFormat() == Qt::PlainText);
                for (auto which :
                     {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
                    if (QAbstractButton* button = box->button(which))
                        shown.append(button->text().remove(QLatin1Char('&')));
                QTest::keyClick(box, key);
            });
            poll.start(10);
            QCOMPARE(ask(), answer);
            QCOMPARE(shown, buttons);
        }
    QTimer::singleShot(0, [] {
        QTRY_VERIFY(QApplication::activeModalWidget());
        for (auto* button : QApplication::activeModalWidget()->findChildren<QPushButton*>())
            if (button->text() == QStringLiteral("Итоги вечера..."))
                button->click();
    });
    QVERIFY(d.informationWithOffer(t, QStringLiteral("Итоги вечера...")));
}

QTEST_MAIN(TestDialogs)
#include "test_dialogs_gui.moc"
