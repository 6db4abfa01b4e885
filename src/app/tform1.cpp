#include "app/tform1.h"

#include "common/dialogs.h"
#include "common/guard.h"
#include "common/gui_theme.h"
#include "common/opener.h"
#include "common/services.h"
#include "pools/tform7.h"
#include "results/tform9.h"

#include <QCloseEvent>
#include <QEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QUrl>

const QString TForm1::kTitle = QStringLiteral("Zorvo Kickvale 6");
const QString TForm1::kWebAddress = QStringLiteral("https://kickvale.example.org/");

TForm1::TForm1(kv::Services& services, kv::RunState& state, QWidget* parent)
    : QMainWindow(parent), services_(services), state_(state) {
    setupUi(this);
    setFont(kv::classicFont(11));
    setWindowTitle(kTitle);

    ComboBox1->addItems({QStringLiteral("2"), QStringLiteral("3")});
    ComboBox1->setCurrentIndex(1);
    N4 = N1->insertSeparator(N3);
    N4->setObjectName(QStringLiteral("N4"));
    addAction(N3); // Ctrl+X works while the menu is closed

    const QPixmap ball = kv::footballPixmap(20);
    for (QLabel* mark : {Image2, Image5, Image6})
        mark->setPixmap(ball);
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    Label12->setText(QStringLiteral("kickvale.example.org"));
    Label12->setToolTip(kWebAddress);
    Label12->installEventFilter(this);

    connect(ComboBox1, &QComboBox::activated, this, &TForm1::ComboBox1Change);
    connect(CheckBox1, &QCheckBox::clicked, this, &TForm1::CheckBox1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
    connect(ComboBox5, &QComboBox::currentTextChanged, this, &TForm1::ComboBox5Change);
    connect(ComboBox6, &QComboBox::currentTextChanged, this, &TForm1::ComboBox6Change);
    connect(ComboBox7, &QComboBox::currentTextChanged, this, &TForm1::ComboBox7Change);
    connect(CheckBox4, &QCheckBox::clicked, this, &TForm1::CheckBox4Click);
    connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connect(N5, &QAction::triggered, this, &TForm1::N5Click);
    connect(N8, &QAction::triggered, this, &TForm1::N8Click);
    connect(N6, &QAction::triggered, this, &TForm1::N6Click);
    connect(N3, &QAction::triggered, this, &TForm1::N3Click);
    connect(N2, &QAction::triggered, this, &TForm1::N2Click);

    setClientHeight(kClientHeight);
    setWindowFlags((windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                    Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                    Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) &
                   ~Qt::WindowMaximizeButtonHint);

    FormCreate();
}

template <typename F>
void TForm1::guard(F&& handler) {
    kv::guarded(*services_.dialogs, std::forward<F>(handler));
}

void TForm1::setClientHeight(int height) {
    centralWidget()->setFixedSize(kClientWidth, height);
    const int menuHeight = menuBar()->sizeHint().height();
    setFixedSize(kClientWidth, menuHeight + height);
}

int TForm1::clientHeight() const { return centralWidget()->height(); }

void TForm1::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    if (services_.endProgram)
        services_.endProgram();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label12 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Label12Click();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Start-up sequence

void TForm1::FormCreate() {}

// ---------------------------------------------------------------------------------------------
// Number of players, link, About, exit

void TForm1::ComboBox1Change() {
    if (ComboBox1->currentText() != QLatin1String("2"))
        return;
    ComboBox1->setCurrentIndex(1);
    if (TForm7* two = windows_.form7) {
        two->move(frameGeometry().topRight() + QPoint(8, 0));
        two->show();
        two->raise();
    }
}

void TForm1::Label12Click() {
    // A failure to open the browser is not reported.
    if (services_.opener)
        services_.opener->open(QUrl(kWebAddress));
}

void TForm1::N2Click() {
    services_.dialogs->information(QStringLiteral("Версия 6") + QStringLiteral("\n\r") +
                                   QStringLiteral("Программирование - Zorvo Team, "
                                                  "kickvale@example.org"));
}

void TForm1::N3Click() {
    if (services_.endProgram)
        services_.endProgram();
}

// ---------------------------------------------------------------------------------------------
// The draw and manual entry

void TForm1::CheckBox1Click() {}

void TForm1::Button2Click() {}

void TForm1::ComboBox5Change() {}

void TForm1::ComboBox6Change() {}

void TForm1::ComboBox7Change() {}

// ---------------------------------------------------------------------------------------------
// The schedule

void TForm1::Button1Click() {}

// ---------------------------------------------------------------------------------------------
// Recent-teams log options and window

void TForm1::CheckBox4Click() {}

void TForm1::Button3Click() {}

// ---------------------------------------------------------------------------------------------
// Tournament sheet, hand-over and prizes

void TForm1::BitBtn1Click() {}

// ---------------------------------------------------------------------------------------------
// Team pools editor

void TForm1::N5Click() {}

// ---------------------------------------------------------------------------------------------
// Settings dialog

void TForm1::N8Click() {}

// ---------------------------------------------------------------------------------------------
// Statistics view

void TForm1::N6Click() {
    TForm9* results = windows_.form9;
    if (!results)
        return;
    results->Label29->setText(Label16->text());
    results->Label30->setText(Label17->text());
    results->Label31->setText(Label18->text());
    results->show();
}
