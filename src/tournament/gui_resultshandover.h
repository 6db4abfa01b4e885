#pragma once

#include "tournament/tournamentpress.h"

class QWidget;

namespace kv {

// Sets the texts of the results window's controls (found by name), enables its compute button
// "Button1" and shows it. A control that is missing throws kv::Error before anything is shown.
void handOverToResults(QWidget* resultsWindow, const QList<HandOverText>& texts);

} // namespace kv
