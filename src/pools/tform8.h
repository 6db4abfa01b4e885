#pragma once

#include "app/gui_windows.h"
#include "ui_tform8.h"

#include <QWidget>

// The recent-teams log with the state of every pool.
class TForm8 : public QWidget, public Ui::TForm8 {
    Q_OBJECT
public:
    TForm8(kv::Services& services, kv::RunState& state, QWidget* parent = nullptr);
    void setWindows(const Windows& windows) { windows_ = windows; }

private:
    kv::Services& services_;
    kv::RunState& state_;
    Windows windows_;
};
