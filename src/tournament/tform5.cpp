#include "tournament/tform5.h"

#include "common/gui_theme.h"
#include "common/gui_windowplace.h"
#include "tournament/gifts.h"

#include <QGuiApplication>
#include <QScreen>

TForm5::TForm5(const kv::ProgramFiles& files, QWidget* parent)
    : QWidget(parent, Qt::Window), files_(files) {
    kv::prepareWindow(this, {513, 105});
    setWindowFlag(Qt::WindowMinimizeButtonHint, false);
    setupUi(this);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TForm5::showGifts(const QList<kv::Gift>& gifts) {
    QLabel* const boxes[] = {Image1, Image2, Image3, Image4, Image5, Image6, Image7};
    for (qsizetype i = 0; i < gifts.size() && i < 7; ++i) {
        boxes[i]->setPixmap(kv::loadPicture(files_.imagePath(gifts[i].file)));
        boxes[i]->setToolTip(gifts[i].hint);
    }
    kv::showInFront(this);
}
