#pragma once

#include "app/gui_windows.h"
#include "ui_tform5.h"

#include <QWidget>

// The gifts window: the catalogue of the seven gifts with their hints.
class TForm5 : public QWidget, public Ui::TForm5 {
    Q_OBJECT
public:
    TForm5(kv::Services& services, kv::RunState& state, QWidget* parent = nullptr);
    void setWindows(const Windows& windows) { windows_ = windows; }

    // Loads the seven pictures with their hints and shows the window. A missing picture throws
    // kv::Error; the window is then not shown.
    void fillAndShow();

private:
    kv::Services& services_;
    kv::RunState& state_;
    Windows windows_;
};
