// The real message boxes: the toolkit's words in Russian, names shown as typed, and the category
// question's own buttons.
#include "app/startup.h"
#include "common/gui_dialogs.h"
#include "testsupport.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>

using Answer = kv::Dialogs::Answer;
Q_DECLARE_METATYPE(std::function<Answer(kv::Dialogs&, const QString&)>)

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void boxesSpeakRussianAndShowTextAsTyped_data();
    void boxesSpeakRussianAndShowTextAsTyped();
};

void TestDialogs::initTestCase() {
    QVERIFY2(kv::installToolkitTranslations(*qApp),
             "Qt's Russian texts are missing: install qt6-translations-l10n");
}

void TestDialogs::boxesSpeakRussianAndShowTextAsTyped_data() {
    using Ask = std::function<Answer(kv::Dialogs&, const QString&)>;
    QTest::addColumn<Ask>("ask");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<Answer>("onEscape");
    QTest::newRow("information") << Ask([](kv::Dialogs& d, const QString& t) {
        d.information(t);
        return Answer::Ok;
    }) << QStringList{"OK"} << Answer::Ok;
    QTest::newRow("yes, no, cancel")
        << Ask([](kv::Dialogs& d, const QString& t) { return d.yesNoCancel(t); })
        << QStringList{"Да", "Нет", "Отмена"} << Answer::Cancel;
    QTest::newRow("the category question") << Ask([](kv::Dialogs& d, const QString& t) {
        return d.yesNoCancel(t, kv::kCategoryButtons);
    }) << QStringList{"Клубы", "Сборные", "Случайно"}
                                           << Answer::Cancel;
    QTest::newRow("yes, no") << Ask([](kv::Dialogs& d, const QString& t) { return d.yesNo(t); })
                             << QStringList{"Да", "Нет"} << Answer::No;
    QTest::newRow("ok, cancel") << Ask([](kv::Dialogs& d, const QString& t) {
        return d.okCancel(t);
    }) << QStringList{"OK", "Отмена"}
                                << Answer::Cancel;
}

void TestDialogs::boxesSpeakRussianAndShowTextAsTyped() {
    using Ask = std::function<Answer(kv::Dialogs&, const QString&)>;
    QFETCH(Ask, ask);
    QFETCH(QStringList, buttons);
    QFETCH(Answer, onEscape);
    const QString text = QStringLiteral("Вася<img src=\"/dev/zero\"> <b>x</b>");
    QStringList shown;
    Qt::TextFormat format = Qt::RichText;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll.stop();
        format = box->textFormat();
        const QList<QMessageBox::StandardButton> order{QMessageBox::Ok, QMessageBox::Yes,
                                                       QMessageBox::No, QMessageBox::Cancel};
        for (QMessageBox::StandardButton which : order)
            if (QAbstractButton* button = box->button(which))
                shown.append(button->text().remove(QLatin1Char('&')));
        QTest::keyClick(box, Qt::Key_Escape);
    });
    poll.start(10);
    kv::MessageBoxDialogs dialogs;
    QCOMPARE(ask(dialogs, text), onEscape);
    QCOMPARE(shown, buttons);
    QCOMPARE(format, Qt::PlainText);
}

QTEST_MAIN(TestDialogs)
#include "test_dialogs_gui.moc"
