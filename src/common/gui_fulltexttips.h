#pragma once

class QString;
class QWidget;

namespace kv {

// Long names ("Borussia Mönchengladbach") do not fit the sizes the windows are drawn at. From
// now on every label, edit box, combo box, button and list item of the window whose text is cut
// shows the whole text as its tooltip; a text that fits shows none, and a control's own tooltip
// stays as it is. An edit box nobody can type in shows the start of its text.
void tipCutTexts(QWidget* window);

// A tooltip that shows text exactly as typed: tooltips take markup, names are data.
QString plainTip(const QString& text);

// Whether a control's text is cut at its present size (for tests and the tooltips above).
bool textIsCut(const QWidget* control);

} // namespace kv
