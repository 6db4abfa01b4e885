#pragma once

#include "app/tform1.h"
#include "common/clock.h"
#include "common/dialogs.h"
#include "common/opener.h"
#include "common/programdir.h"
#include "common/random.h"
#include "common/services.h"
#include "testsupport.h"

#include <memory>

// A main window in a test, with every seam faked (scripted message boxes, a seeded generator,
// a fixed clock, ...).
struct Tform1Env : kvtest::Fakes {
    explicit Tform1Env(quint64 seed = 1)
        : Fakes(seed, QDateTime(QDate(2024, 5, 1), QTime(20, 0))) {}
    // Constructing the window runs the start-up sequence: queue answers first.
    TForm1& open() {
        form = std::make_unique<TForm1>(services, state);
        return *form;
    }

    std::unique_ptr<TForm1> form;
};

// The data of a new installation, with prize files naming the given pictures of this program.
inline void writeDefaultData(const kvtest::WorkFolder& work,
                             const QString& gift1 = QStringLiteral("splayer.bmp"),
                             const QString& gift2 = QStringLiteral("yellowcard.bmp")) {
    work.copyDefaultData();
    work.write(QStringLiteral("gift1.txt"), {kv::imagePath(gift1)});
    work.write(QStringLiteral("gift2.txt"), {kv::imagePath(gift2)});
}

inline QStringList comboItems(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    return items;
}
