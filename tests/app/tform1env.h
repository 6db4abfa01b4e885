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

// Everything a main window needs in a test: scripted message boxes, a seeded generator, a
// fixed clock, a recording opener and an end of the program that only raises a flag.
struct Tform1Env {
    explicit Tform1Env(quint64 seed = 1) : random(seed) {
        services.dialogs = &dialogs;
        services.random = &random;
        services.clock = &clock;
        services.opener = &opener;
        services.endProgram = [this] { ended = true; };
    }
    // Constructing the window runs the start-up sequence: queue answers first.
    TForm1& open() {
        form = std::make_unique<TForm1>(services, state);
        return *form;
    }

    kv::ScriptedDialogs dialogs;
    kv::Random random;
    kv::FixedClock clock{QDateTime(QDate(2024, 5, 1), QTime(20, 0))};
    kv::RecordingOpener opener;
    kv::Services services;
    kv::RunState state;
    bool ended = false;
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
