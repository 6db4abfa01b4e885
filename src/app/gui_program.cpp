#include "app/gui_program.h"

#include "app/tform1.h"
#include "app/tform6.h"
#include "common/services.h"
#include "pools/tform2.h"
#include "pools/tform7.h"
#include "pools/tform8.h"
#include "results/historystore.h"
#include "results/tform9.h"
#include "tournament/tform5.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

ProgramWindows::ProgramWindows(kv::Services& services, kv::RunState& state) {
    form1_ = std::make_unique<TForm1>(services, state);
    form2_ = std::make_unique<TForm2>(services);
    // The gifts window before the settings dialog, which opens it.
    form5_ = std::make_unique<TForm5>();
    // The store is opened as the results window lists the tournaments: a missing or broken
    // base.db says so once, at start. The settings dialog renames players through it.
    history_ = std::make_unique<kv::HistoryStore>(kv::kDatabaseFile, services.clock);
    form6_ = std::make_unique<TForm6>(services, *form1_, *form5_, history_.get());
    form7_ = std::make_unique<TForm7>(services);
    form8_ = std::make_unique<TForm8>(services);
    form9_ = std::make_unique<TForm9>(services, *history_);
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
    // Once the main window is up, so that the dialog opens over it.
    if (form1_->firstStart())
        QTimer::singleShot(0, form1_.get(), &TForm1::askForPlayerNames);
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
