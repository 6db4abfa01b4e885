#pragma once

#include "app/gui_windows.h"
#include "ui_tform6.h"

#include <QWidget>

// The settings dialog.
class TForm6 : public QWidget, public Ui::TForm6 {
    Q_OBJECT
public:
    TForm6(kv::Services& services, kv::RunState& state, QWidget* parent = nullptr);
    void setWindows(const Windows& windows) { windows_ = windows; }

private:
    kv::Services& services_;
    kv::RunState& state_;
    Windows windows_;
};
