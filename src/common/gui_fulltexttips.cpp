#include "common/gui_fulltexttips.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTextDocument>
#include <QToolTip>

namespace kv {

namespace {

// The tooltip this filter last gave a control: a tooltip the control got elsewhere is kept.
constexpr const char* kOwnTip = "kvFullTextTip";

bool cut(const QFontMetrics& metrics, const QString& text, int width) {
    return !text.isEmpty() && metrics.horizontalAdvance(text) > width;
}

bool labelIsCut(const QLabel* label) {
    if (label->text().isEmpty())
        return false;
    const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(),
                                                      -label->margin(), -label->margin());
    if (label->wordWrap()) {
        const QRect needed =
            label->fontMetrics().boundingRect(room.x(), room.y(), room.width(), 100000,
                                              Qt::TextWordWrap | label->alignment(), label->text());
        return needed.height() > room.height() || needed.width() > room.width();
    }
    const QStringList lines = label->text().split(QLatin1Char('\n'));
    if (label->fontMetrics().height() * lines.size() > room.height() + 1)
        return true;
    for (const QString& line : lines)
        if (cut(label->fontMetrics(), line, room.width()))
            return true;
    return false;
}

bool comboIsCut(const QComboBox* box) {
    QStyleOptionComboBox option;
    option.initFrom(box);
    option.editable = box->isEditable();
    const QRect field = box->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                     QStyle::SC_ComboBoxEditField, box);
    return cut(box->fontMetrics(), box->currentText(), field.width() - 4);
}

bool buttonIsCut(const QAbstractButton* button) {
    const int iconRoom = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
    return cut(button->fontMetrics(), button->text(), button->width() - iconRoom - 8);
}

// The text the control shows, for its tooltip.
QString shownText(const QWidget* control) {
    if (const auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (const auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->echoMode() == QLineEdit::Normal ? edit->text() : QString();
    if (const auto* box = qobject_cast<const QComboBox*>(control))
        return box->currentText();
    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    return QString();
}

class CutTextTips : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (auto* view = qobject_cast<QAbstractItemView*>(widget->parentWidget());
            view && view->viewport() == widget)
            return itemTip(view, static_cast<QHelpEvent*>(event));
        if (widget->toolTip().isEmpty() || widget->toolTip() == widget->property(kOwnTip)) {
            // Plain text: a name is data, never markup.
            const QString tip = plainTip(textIsCut(widget) ? shownText(widget) : QString());
            widget->setToolTip(tip);
            widget->setProperty(kOwnTip, tip);
        }
        return false;
    }

private:
    static bool itemTip(QAbstractItemView* view, QHelpEvent* help) {
        const QModelIndex index = view->indexAt(help->pos());
        if (!index.isValid() || index.data(Qt::ToolTipRole).isValid())
            return false;
        const QString text = index.data(Qt::DisplayRole).toString();
        const QRect cell = view->visualRect(index);
        if (!cut(view->fontMetrics(), text, cell.width() - 8)) {
            QToolTip::hideText();
            return true;
        }
        QToolTip::showText(help->globalPos(), plainTip(text), view->viewport(), cell);
        return true;
    }
};

} // namespace

QString plainTip(const QString& text) {
    return text.isEmpty() ? QString() : Qt::convertFromPlainText(text, Qt::WhiteSpaceNoWrap);
}

bool textIsCut(const QWidget* control) {
    if (const auto* label = qobject_cast<const QLabel*>(control))
        return labelIsCut(label);
    if (const auto* edit = qobject_cast<const QLineEdit*>(control))
        return cut(edit->fontMetrics(), shownText(edit), edit->contentsRect().width() - 6);
    if (const auto* box = qobject_cast<const QComboBox*>(control))
        return comboIsCut(box);
    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        return buttonIsCut(button);
    return false;
}

void tipCutTexts(QWidget* window) {
    auto* tips = new CutTextTips(window);
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            // A name the program puts in a box nobody types in shows its start, where it is read
            // from, not its end.
            QObject::connect(edit, &QLineEdit::textChanged, edit, [edit] {
                if (!edit->isEnabled() || edit->isReadOnly())
                    edit->setCursorPosition(0);
            });
        if (qobject_cast<QLabel*>(control) || qobject_cast<QLineEdit*>(control) ||
            qobject_cast<QComboBox*>(control) || qobject_cast<QAbstractButton*>(control))
            control->installEventFilter(tips);
        else if (auto* view = qobject_cast<QAbstractItemView*>(control))
            view->viewport()->installEventFilter(tips);
    }
}

} // namespace kv
