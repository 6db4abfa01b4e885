#pragma once

#include "common/textfile.h"
#include "ui_tform2.h"

#include <QWidget>

namespace kv {
struct Services;
}

class QAbstractButton;
class QButtonGroup;

// The team pools editor: one tab per pool with the pool's text, its number of teams, and
// "Править" / OK to edit and save it. Each tab is Locked or Editing on its own.
class TForm2 : public QWidget, public Ui::TForm2 {
    Q_OBJECT
public:
    explicit TForm2(kv::Services& services, QWidget* parent = nullptr);

    // The main menu's "&Команды...": shows the window, then reloads the seven pools. Throws at
    // the first pool that cannot be read; the pools loaded before it keep their new text.
    void openFromMenu();
    void loadPools();

    // The tab button that shows a tab sheet (tabs are flat buttons that wrap onto rows).
    QAbstractButton* tabButton(QWidget* sheet) const;

public slots:
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn5Click();
    void BitBtn6Click();
    void BitBtn7Click();

private:
    // One tab, numbered as its controls are (TabSheet1 .. TabSheet7).
    struct PoolTab {
        QWidget* sheet = nullptr;
        QPlainTextEdit* memo = nullptr;
        QLabel* count = nullptr;
        QPushButton* edit = nullptr;
        QPushButton* ok = nullptr;
        QString file;
        kv::TextEncoding encoding = kv::TextEncoding::Plain;
    };

    void buildTabs();
    void loadTab(PoolTab& tab);
    void editTab(int n);
    void saveTab(int n);

    kv::Services& services_;
    PoolTab tabs_[8]; // index 1..7
    QButtonGroup* tabGroup_ = nullptr;
};
