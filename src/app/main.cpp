#include "app/tform1.h"
#include "app/tform6.h"
#include "common/clock.h"
#include "common/guard.h"
#include "common/gui_dialogs.h"
#include "common/gui_theme.h"
#include "common/random.h"
#include "common/services.h"
#include "pools/tform2.h"
#include "pools/tform7.h"
#include "pools/tform8.h"
#include "results/tform9.h"
#include "tournament/gui_xlsxspreadsheet.h"
#include "tournament/tform5.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zorvo-kickvale-6"));
    QApplication::setApplicationDisplayName(TForm1::kTitle);

    kv::MessageBoxDialogs dialogs;
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
    kv::RunState state;

    // The classic font for every window (a stylesheet stops fonts set on a window from reaching
    // its controls, so it is set for the whole application).
    QApplication::setFont(kv::classicFont(11));
    kv::guarded(dialogs, [&] { kv::applyCarbonTheme(app); });

    // Created once, in this order; the main window's creation runs the start-up sequence
    // before any other window exists.
    Windows windows;
    TForm1 form1(services, state);
    windows.form1 = &form1;
    TForm2 form2(services, state);
    windows.form2 = &form2;
    TForm6 form6(services, state);
    windows.form6 = &form6;
    TForm5 form5(services, state);
    windows.form5 = &form5;
    TForm7 form7(services, state);
    windows.form7 = &form7;
    TForm8 form8(services, state);
    windows.form8 = &form8;
    TForm9 form9(services, state);
    windows.form9 = &form9;
    form1.setWindows(windows);
    form2.setWindows(windows);
    form6.setWindows(windows);
    form5.setWindows(windows);
    form7.setWindows(windows);
    form8.setWindows(windows);
    form9.setWindows(windows);

    // Closing the main window ends the program whatever other windows are open.
    QApplication::setQuitOnLastWindowClosed(false);
    form1.show();
    return QApplication::exec();
}
