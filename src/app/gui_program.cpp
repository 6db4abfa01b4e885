#include "app/gui_program.h"

#include "app/tform1.h"
#include "app/tform6.h"
#include "common/guard.h"
#include "common/gui_dialogs.h"
#include "common/gui_theme.h"
#include "common/gui_windowmanners.h"
#include "common/services.h"
#include "history/historystore.h"
#include "pools/tform2.h"
#include "pools/tform7.h"
#include "pools/tform8.h"
#include "results/tform9.h"
#include "tournament/tform5.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>

namespace {

// Runs a step on the pass of the event loop after a window's first paint, when the painted
// window is on the screen.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget* window, std::function<void()> step)
        : QObject(window), step_(std::move(step)) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && step_) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                std::exchange(step_, nullptr)();
                deleteLater();
            });
        }
        return false;
    }

private:
    std::function<void()> step_;
};

} // namespace

void kv::dressApplication(QApplication& app, Dialogs& dialogs) {
    kv::installToolkitTranslations(app);
    QApplication::setFont(kv::classicFont(11));
    kv::guarded(dialogs, [&] { kv::applyCarbonTheme(app); });
    kv::WindowManners::install(app);
}

ProgramWindows::ProgramWindows(kv::Services& services, kv::RunState& state,
                               kv::EveningOwner& evening)
    : services_(services), evening_(evening) {
    windows_.form1 = make<TForm1>(services, state, evening);
    windows_.form1->setPeersMaker([this] { makeOtherWindows(); });
}

const Windows& ProgramWindows::windows() {
    makeOtherWindows();
    return windows_;
}

// Nothing of these is seen before a command of the main window: the main window shows without
// waiting for them.
void ProgramWindows::makeOtherWindows() {
    if (complete())
        return;
    Windows& w = windows_;
    w.form2 = make<TForm2>(services_);
    // The gifts window before the settings dialog, which opens it.
    w.form5 = make<TForm5>(services_.files);
    // The store is opened as the results window lists the tournaments: a missing or broken
    // base.db says so once, at start. The settings dialog renames players through it.
    history_ = std::make_unique<kv::HistoryStore>(kv::kDatabaseFile, services_.clock);
    w.form6 = make<TForm6>(services_, *w.form1, *w.form5, history_.get());
    w.form7 = make<TForm7>(services_);
    w.form8 = make<TForm8>(services_);
    w.form9 = make<TForm9>(services_, *history_, &evening_);
    w.form1->setPeers(w, history_.get());
    // Every new control has asked to be polished on the next pass of the event loop. Showing a
    // window polishes all its controls anyway, so those of the hidden windows wait until then.
    QCoreApplication::removePostedEvents(nullptr, QEvent::PolishRequest);
}

void ProgramWindows::showMainWindow() {
    TForm1* main = windows_.form1;
    main->show();
    // The rest of the start once the main window is up: the other windows, then on a first
    // start the settings dialog over it.
    new AfterFirstPaint(main, [this, main] {
        makeOtherWindows();
        if (main->firstStart())
            main->askForPlayerNames();
        startFinished_ = true;
    });
}

// In the reverse order of creation; the history goes after every window that reads through it (the
// results window's grid, the charts window of the main window).
ProgramWindows::~ProgramWindows() {
    while (!made_.empty())
        made_.pop_back();
}
