#include "pools/tform7.h"

#include "common/gui_theme.h"
#include "common/services.h"

TForm7::TForm7(kv::Services& services, kv::RunState& state, QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services), state_(state) {
    setupUi(this);
    setFont(kv::classicFont(11));
    kv::fixClientSize(this, 225, 88);
}
