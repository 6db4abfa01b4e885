#pragma once

#include "app/gui_windows.h"
#include "ui_tform9.h"

#include <QWidget>

// Results entry, standings, the database write and the statistics view.
class TForm9 : public QWidget, public Ui::TForm9 {
    Q_OBJECT
public:
    TForm9(kv::Services& services, kv::RunState& state, QWidget* parent = nullptr);
    void setWindows(const Windows& windows) { windows_ = windows; }

private:
    kv::Services& services_;
    kv::RunState& state_;
    Windows windows_;
};
