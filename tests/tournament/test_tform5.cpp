// The gifts window: its layout, and filling it with the catalogue.
#include "testsupport.h"

#include "common/errors.h"
#include "common/gui_theme.h"
#include "common/programdir.h"
#include "tournament/gifts.h"
#include "tournament/tform5.h"

#include <QLabel>

namespace {

struct GiftsWindow {
    kvtest::WorkFolder folder;
    std::unique_ptr<TForm5> form;
    GiftsWindow() { form = std::make_unique<TForm5>(folder.files()); }
    QLabel* image(int i) const {
        return kvtest::child<QLabel>(form.get(), QStringLiteral("Image%1").arg(i));
    }
};

} // namespace

class TestTForm5 : public QObject {
    Q_OBJECT
private slots:
    void layout();
    void fillAndShow_data();
    void fillAndShow();
    void missingPictureStopsTheFilling();
};

void TestTForm5::layout() {
    GiftsWindow w;
    QCOMPARE(w.form->windowTitle(), QStringLiteral("Подарки"));
    QCOMPARE(w.form->size(), QSize(513, 105));
    QVERIFY(!(w.form->windowFlags() & Qt::WindowMaximizeButtonHint));
    const int lefts[] = {8, 80, 152, 224, 296, 368, 440};
    for (int i = 1; i <= 7; ++i) {
        QCOMPARE(w.image(i)->geometry(), QRect(lefts[i - 1], 8, 64, 64));
        QVERIFY(w.image(i)->pixmap().isNull()); // empty until filled
    }
    QCOMPARE(kvtest::child<QLabel>(w.form.get(), "StaticText1")->text(),
             QStringLiteral("Наведите курсор на подарок для получения подсказки..."));
    QVERIFY(!w.form->isVisible());
}

void TestTForm5::fillAndShow_data() {
    QTest::addColumn<int>("image");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("hint");
    QTest::newRow("Image1") << 1 << "redcard.bmp"
                            << "Возможность отмены красной карточки";
    QTest::newRow("Image2") << 2 << "team.bmp"
                            << "Выбор команды";
    QTest::newRow("Image3") << 3 << "travma.bmp"
                            << "Возможность не учитывать травму";
    QTest::newRow("Image4") << 4 << "unplayer.bmp"
                            << "Убрать игрока из команды противника на один матч";
    QTest::newRow("Image5") << 5 << "unteam.bmp"
                            << "Убрать нежелательную команду перед жеребьевкой";
    QTest::newRow("Image6") << 6 << "yellowcard.bmp"
                            << "Возможность не учитывать красную карточку";
    QTest::newRow("Image7") << 7 << "splayer.bmp"
                            << "Спасти одного своего игрока от травмы, красной или желтой "
                               "карточек один раз за турнир";
}

void TestTForm5::fillAndShow() {
    QFETCH(int, image);
    QFETCH(QString, file);
    QFETCH(QString, hint);
    GiftsWindow w;
    w.form->showGifts(kv::giftsWindowOrder());
    QVERIFY(w.form->isVisible());
    QCOMPARE(w.image(image)->toolTip(), hint);
    // The meaning is there for the keyboard too: the picture takes the focus and tells it.
    w.image(image)->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(kvtest::child<QLabel>(w.form.get(), "StaticText1")->text(), hint);
    QCOMPARE(w.image(image)->pixmap().toImage(),
             kv::loadPicture(kvtest::imagePath(file)).toImage());
    // A second press while shown loads again and keeps the window shown.
    w.form->showGifts(kv::giftsWindowOrder());
    QVERIFY(w.form->isVisible());
}

void TestTForm5::missingPictureStopsTheFilling() {
    GiftsWindow w;
    // A program folder whose images lack travma.bmp (Image3).
    QDir(w.folder.path()).mkpath(QStringLiteral("prog/images"));
    for (const QString& name : QDir(kvtest::buildProgramDir() + "images").entryList(QDir::Files))
        if (name != QLatin1String("travma.bmp"))
            QFile::copy(kvtest::buildProgramDir() + "images/" + name,
                        w.folder.path(QStringLiteral("prog/images/") + name));
    w.form = std::make_unique<TForm5>(kv::ProgramFiles(w.folder.path(QStringLiteral("prog"))));

    QVERIFY_THROWS_EXCEPTION(kv::Error, w.form->showGifts(kv::giftsWindowOrder()));
    QVERIFY(!w.form->isVisible());
    QVERIFY(!w.image(2)->pixmap().isNull());
    QVERIFY(w.image(3)->pixmap().isNull());
    QVERIFY(w.image(4)->pixmap().isNull());
}

QTEST_MAIN(TestTForm5)
#include "test_tform5.moc"
