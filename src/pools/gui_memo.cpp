#include "pools/gui_memo.h"

#include "common/textfile.h"

#include <QPlainTextEdit>
#include <QTextDocument>

namespace kv {

QString memoText(const QPlainTextEdit* memo) {
    QString text = memo->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

void setMemoText(QPlainTextEdit* memo, const QString& text) {
    QString lf = toCrLf(text);
    lf.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    memo->setPlainText(lf);
}

} // namespace kv
