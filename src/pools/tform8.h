#pragma once

#include "common/textfile.h"
#include "ui_tform8.h"

#include <QByteArray>
#include <QWidget>

#include <optional>
namespace kv {
struct Services;
}

// The recent-teams log "all_last.txt" as text, with the state of every pool: red for a pool
// that is used up against the log, green for one that still has teams. The log can be edited
// by hand or cleared.
class TForm8 : public QWidget, public Ui::TForm8 {
    Q_OBJECT
public:
    explicit TForm8(kv::Services& services, QWidget* parent = nullptr);

    // The main window's "...": loads the log, colours the labels, shows the window. Throws on
    // a file that cannot be read; the window is then not shown.
    void openFromMainWindow();

    static const QString kLogChangedQuestion;
    static const QString kUnsavedQuestion;
    static const QColor kExhaustedColor;
    static const QColor kFreeColor;

public slots:
    void Button1Click();
    void Button2Click();
    void Button3Click();

protected:
    // Closing with edits not saved asks whether to save them, drop them or go back to them.
    void closeEvent(QCloseEvent* event) override;

private:
    void loadLog();
    void setLabelColor(QLabel* label, const QColor& color);

    kv::Services& services_;
    kv::TextEncoding encoding_ = kv::TextEncoding::Plain;
    // The log's bytes as the memo was loaded from them: a save must not silently drop what the
    // schedule (or anything else) added to the file since.
    std::optional<QByteArray> loaded_;
    // The memo's text as loaded or saved last: anything else is an unsaved edit.
    QString loadedText_;
};
