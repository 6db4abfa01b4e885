#pragma once

#include "app/gui_windows.h"
#include "ui_tform7.h"

#include <QWidget>

// Two teams for an evening of two.
class TForm7 : public QWidget, public Ui::TForm7 {
    Q_OBJECT
public:
    TForm7(kv::Services& services, kv::RunState& state, QWidget* parent = nullptr);
    void setWindows(const Windows& windows) { windows_ = windows; }

private:
    kv::Services& services_;
    kv::RunState& state_;
    Windows windows_;
};
