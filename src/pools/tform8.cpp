#include "pools/tform8.h"

#include "common/gui_theme.h"
#include "common/services.h"

TForm8::TForm8(kv::Services& services, kv::RunState& state, QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services), state_(state) {
    setupUi(this);
    setFont(kv::classicFont(11));
    kv::fixClientSize(this, 475, 525);
}
