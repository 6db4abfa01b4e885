#include "app/gui_program.h"
#include "app/instancelock.h"
#include "app/tform1.h"
#include "common/clock.h"
#include "common/datafolder.h"
#include "common/guard.h"
#include "common/gui_dialogs.h"
#include "common/programdir.h"
#include "common/random.h"
#include "common/services.h"
#include "tournament/gui_xlsxspreadsheet.h"

#include <QApplication>
#include <QLockFile>

#include <memory>

int main(int argc, char* argv[]) {
    if (kv::isSetUpOnly(argc, argv))
        return kv::runSetUpOnly(argc, argv);
    QApplication app(argc, argv);
    kv::nameProgram();
    // A logout or a kill ends the run as a close does: the windows go and the lock with them.
    kv::quitOnTerminationSignals();
    kv::MessageBoxDialogs dialogs;
    // Before the first box: even the data folder's complaints have Russian buttons.
    kv::dressApplication(app, dialogs);

    const kv::ProgramFiles files = kv::ProgramFiles::installed();
    // Without its data folder the program has nothing to work on: the box says why, then it ends.
    if (!kv::guarded(dialogs, [&] { kv::enterDataFolder(QCoreApplication::arguments(), files); }))
        return 1;
    kv::Random random;
    kv::Clock clock;
    kv::DesktopOpener opener;
    kv::Services services;
    services.dialogs = &dialogs;
    services.random = &random;
    services.clock = &clock;
    services.opener = &opener;
    kv::XlsxSpreadsheetFactory spreadsheets(opener);
    services.spreadsheets = &spreadsheets;
    services.endProgram = [] { QCoreApplication::exit(0); };
    services.files = files;
    kv::RunState state;
    kv::EveningOwner evening;

    const std::unique_ptr<QLockFile> folderLock = kv::lockDataFolder(dialogs);
    if (!folderLock)
        return 1;

    ProgramWindows windows(services, state, evening);
    if (kv::terminationRequested())
        return 0;

    // Closing the main window ends the program whatever other windows are open.
    QApplication::setQuitOnLastWindowClosed(false);
    windows.showMainWindow();
    return QApplication::exec();
}
