#include "tournament/tform5.h"

#include "common/gui_theme.h"
#include "common/gui_windowplace.h"
#include "common/programdir.h"
#include "common/services.h"
#include "tournament/gifts.h"

#include <QGuiApplication>
#include <QScreen>

TForm5::TForm5(kv::Services& services, kv::RunState& state, QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services), state_(state) {
    setupUi(this);
    setFont(kv::classicFont(11));
    kv::fixClientSize(this, 513, 105);
    setWindowFlag(Qt::WindowMinimizeButtonHint, false);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TForm5::fillAndShow() {
    for (const kv::GiftImage& image : kv::giftsWindowImages()) {
        QLabel* box = findChild<QLabel*>(image.imageName);
        box->setPixmap(kv::loadPicture(kv::imagePath(image.gift.file)));
        box->setToolTip(image.gift.hint);
    }
    kv::showInFront(this);
}
