#pragma once

#include "../results/resultsdb.h"
#include "app/gui_program.h"
#include "app/tform1.h"
#include "common/clock.h"
#include "common/dialogs.h"
#include "common/opener.h"
#include "common/programdir.h"
#include "common/random.h"
#include "common/services.h"
#include "testsupport.h"

#include <memory>
#include <optional>

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

// The program as main.cpp builds it, with the seams replaced by fakes.
// It starts on the data of a new installation without a settings file, unless given one.
struct Program : kvtest::Fakes {
    explicit Program(const std::optional<kvtest::Settings>& settings = {}) {
        writeDefaultData(work);
        kvtest::createBaseDb();
        if (settings)
            work.writeSettings(*settings);
        else
            dialogs.queue(kv::Dialogs::Answer::Yes); // the category question at start
        windows = std::make_unique<ProgramWindows>(services, state);
    }
    const Windows& w() const { return windows->windows(); }
    kvtest::WorkFolder work;
    std::unique_ptr<ProgramWindows> windows;
};
