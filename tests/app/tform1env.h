#pragma once

#include "app/tform1.h"
#include "common/clock.h"
#include "common/dialogs.h"
#include "common/opener.h"
#include "common/programdir.h"
#include "common/random.h"
#include "common/services.h"
#include "historydb.h"
#include "programfixture.h"
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
        form = std::make_unique<TForm1>(services, state, evening);
        return *form;
    }

    std::unique_ptr<TForm1> form;
};

using kvtest::comboItems;

// The program on the data of a new installation without a settings file, unless given one.
struct Program : kvtest::ProgramFixture {
    explicit Program(const std::optional<kvtest::Settings>& settings = {}) {
        folder.writeStartData(settings);
        kvtest::createBaseDb();
        if (!settings)
            dialogs.queue(kv::Dialogs::Answer::Yes); // the category question at start
        open();
    }
    const Windows& w() const { return *this; }
};
