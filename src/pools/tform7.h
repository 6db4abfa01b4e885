#pragma once

#include "ui_tform7.h"

#include <QWidget>

namespace kv {
struct Services;
struct TwoTeams;
} // namespace kv

// Two teams for an evening of two: a stay-on-top window that draws two different teams of one
// pool. It writes nothing and touches no other window.
class TForm7 : public QWidget, public Ui::TForm7 {
    Q_OBJECT
public:
    explicit TForm7(kv::Services& services, QWidget* parent = nullptr);

public slots:
    void Button1Click();
    void Button2Click();

private:
    void showTeams(const kv::TwoTeams& teams);

    kv::Services& services_;
};
