#include "app/tform6.h"

#include "common/gui_theme.h"
#include "common/services.h"

TForm6::TForm6(kv::Services& services, kv::RunState& state, QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services), state_(state) {
    setupUi(this);
    setFont(kv::classicFont(11));
    kv::fixClientSize(this, 380, 185);
}
