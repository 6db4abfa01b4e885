#include "app/gui_program.h"

#include "app/tform1.h"
#include "app/tform6.h"
#include "pools/tform2.h"
#include "pools/tform7.h"
#include "pools/tform8.h"
#include "results/tform9.h"
#include "tournament/tform5.h"

ProgramWindows::ProgramWindows(kv::Services& services, kv::RunState& state) {
    form1_ = std::make_unique<TForm1>(services, state);
    form2_ = std::make_unique<TForm2>(services);
    // The gifts window before the settings dialog, which opens it.
    form5_ = std::make_unique<TForm5>();
    form6_ = std::make_unique<TForm6>(services, *form1_, *form5_);
    form7_ = std::make_unique<TForm7>(services);
    form8_ = std::make_unique<TForm8>(services);
    form9_ = std::make_unique<TForm9>(services, state);
    form1_->setPeers({form2_.get(), form6_.get(), form7_.get(), form8_.get(), form9_.get()});
    windows_ = {form1_.get(), form2_.get(), form6_.get(), form5_.get(),
                form7_.get(), form8_.get(), form9_.get()};
}

// The results window goes first: it holds the database connection the others never touch, and
// the main window last, as it was made first.
ProgramWindows::~ProgramWindows() {
    form9_.reset();
    form8_.reset();
    form7_.reset();
    form6_.reset();
    form5_.reset();
    form2_.reset();
    form1_.reset();
}
