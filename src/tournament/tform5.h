#pragma once

#include "common/programdir.h"
#include "tournament/gifts.h"
#include "ui_tform5.h"

#include <QWidget>

// The gifts window: the catalogue of the seven gifts with their hints.
class TForm5 : public QWidget, public Ui::TForm5 {
    Q_OBJECT
public:
    // The pictures come from the program's files.
    explicit TForm5(const kv::ProgramFiles& files, QWidget* parent = nullptr);

    // Shows the gifts left to right with their hints and shows the window. A missing picture
    // throws kv::Error; the window is then not shown.
    void showGifts(const QList<kv::Gift>& gifts);

protected:
    // A gift reached by Tab (or the mouse) tells its meaning in the line below the pictures.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    kv::ProgramFiles files_;
    QString prompt_;
};
