#include "pools/tform2.h"

#include "common/gui_theme.h"
#include "common/services.h"

TForm2::TForm2(kv::Services& services, kv::RunState& state, QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services), state_(state) {
    setupUi(this);
    setFont(kv::classicFont(11));
    kv::fixClientSize(this, 219, 507);
}
