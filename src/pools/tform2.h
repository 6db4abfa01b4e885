#pragma once

#include "app/gui_windows.h"
#include "ui_tform2.h"

#include <QWidget>

// The team pools editor: one tab per pool, edit and save.
class TForm2 : public QWidget, public Ui::TForm2 {
    Q_OBJECT
public:
    TForm2(kv::Services& services, kv::RunState& state, QWidget* parent = nullptr);
    void setWindows(const Windows& windows) { windows_ = windows; }

private:
    kv::Services& services_;
    kv::RunState& state_;
    Windows windows_;
};
