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

ProgramWindows::ProgramWindows(kv::Services& services, kv::RunState& state) : services_(services) {
    form1_ = std::make_unique<TForm1>(services, state);
    windows_.form1 = form1_.get();
    form1_->setPeersMaker([this] { makeOtherWindows(); });
}

const Windows& ProgramWindows::windows() {
    makeOtherWindows();
    return windows_;
}

// Nothing of these is seen before a command of the main window: the main window shows without
// waiting for them.
void ProgramWindows::makeOtherWindows() {
    if (form2_)
        return;
    form2_ = std::make_unique<TForm2>(services_);
    // The gifts window before the settings dialog, which opens it.
    form5_ = std::make_unique<TForm5>(services_.files);
    // The store is opened as the results window lists the tournaments: a missing or broken
    // base.db says so once, at start. The settings dialog renames players through it.
    history_ = std::make_unique<kv::HistoryStore>(kv::kDatabaseFile, services_.clock);
    form6_ = std::make_unique<TForm6>(services_, *form1_, *form5_, history_.get());
    form7_ = std::make_unique<TForm7>(services_);
    form8_ = std::make_unique<TForm8>(services_);
    form9_ = std::make_unique<TForm9>(services_, *history_);
    form1_->setPeers(
        {form2_.get(), form6_.get(), form7_.get(), form8_.get(), form9_.get(), history_.get()});
    windows_ = {form1_.get(), form2_.get(), form6_.get(), form5_.get(),
                form7_.get(), form8_.get(), form9_.get()};
    // Every new control has asked to be polished on the next pass of the event loop. Showing a
    // window polishes all its controls anyway, so those of the hidden windows wait until then.
    QCoreApplication::removePostedEvents(nullptr, QEvent::PolishRequest);
}

void ProgramWindows::showMainWindow() {
    form1_->show();
    // The rest of the start once the main window is up: the other windows, then on a first
    // start the settings dialog over it.
    new AfterFirstPaint(form1_.get(), [this] {
        makeOtherWindows();
        if (form1_->firstStart())
            form1_->askForPlayerNames();
    });
}

// In the reverse order of creation; the history goes after every window that reads through it (the
// results window's grid, the charts window of the main window).
ProgramWindows::~ProgramWindows() {
    form9_.reset();
    form8_.reset();
    form7_.reset();
    form6_.reset();
    form5_.reset();
    form2_.reset();
    form1_.reset();
    history_.reset();
}
