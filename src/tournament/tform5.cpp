#include "tournament/tform5.h"

#include "common/gui_theme.h"
#include "common/gui_windowplace.h"
#include "tournament/gifts.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

TForm5::TForm5(const kv::ProgramFiles& files, QWidget* parent)
    : QWidget(parent, Qt::Window), files_(files) {
    kv::prepareWindow(this, {513, 105});
    setWindowFlag(Qt::WindowMinimizeButtonHint, false);
    setupUi(this);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    prompt_ = StaticText1->text();
    for (QLabel* image : {Image1, Image2, Image3, Image4, Image5, Image6, Image7}) {
        image->setFocusPolicy(Qt::StrongFocus);
        image->installEventFilter(this);
    }
}

bool TForm5::eventFilter(QObject* watched, QEvent* event) {
    auto* image = qobject_cast<QLabel*>(watched);
    const QEvent::Type type = event->type();
    if (image && (type == QEvent::FocusIn || type == QEvent::Enter)) {
        if (type == QEvent::FocusIn)
            image->setFrameShape(QFrame::Box); // the focus must show on a picture too
        if (!image->toolTip().isEmpty())
            StaticText1->setText(image->toolTip());
    } else if (image && (type == QEvent::FocusOut || type == QEvent::Leave)) {
        if (type == QEvent::FocusOut)
            image->setFrameShape(QFrame::NoFrame);
        const QWidget* focused = focusWidget();
        StaticText1->setText(focused && focused != image && !focused->toolTip().isEmpty()
                                 ? focused->toolTip()
                                 : prompt_);
    }
    return QWidget::eventFilter(watched, event);
}

void TForm5::showGifts(const QList<kv::Gift>& gifts) {
    QLabel* const boxes[] = {Image1, Image2, Image3, Image4, Image5, Image6, Image7};
    for (qsizetype i = 0; i < gifts.size() && i < 7; ++i) {
        boxes[i]->setPixmap(kv::loadPicture(files_.imagePath(gifts[i].file)));
        boxes[i]->setToolTip(gifts[i].hint);
    }
    kv::showInFront(this);
}
