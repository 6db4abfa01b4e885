#pragma once

#include <QString>

class QPlainTextEdit;

namespace kv {

// The memo's text with "\n" line breaks. Unlike toPlainText() it keeps non-breaking spaces,
// which may be part of a team's name and must be saved as typed.
QString memoText(const QPlainTextEdit* memo);

// Replaces the memo's text; CR LF, LF and lone CR all end a line.
void setMemoText(QPlainTextEdit* memo, const QString& text);

} // namespace kv
