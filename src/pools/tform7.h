#pragma once

#include "app/gui_windows.h"
#include "ui_tform7.h"

#include <QWidget>

namespace kv {
struct TwoTeams;
}

// Two teams for an evening of two: a stay-on-top window that draws two different teams of one
// pool. It writes nothing and touches no other window.
class TForm7 : public QWidget, public Ui::TForm7 {
    Q_OBJECT
public:
    TForm7(kv::Services& services, kv::RunState& state, QWidget* parent = nullptr);
    void setWindows(const Windows& windows) { windows_ = windows; }

public slots:
    void Button1Click();
    void Button2Click();

private:
    void showTeams(const kv::TwoTeams& teams);

    kv::Services& services_;
    kv::RunState& state_;
    Windows windows_;
};
