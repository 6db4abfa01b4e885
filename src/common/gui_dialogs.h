#pragma once

#include "common/dialogs.h"
#include "common/opener.h"

class QWidget;

namespace kv {

// The real message boxes.
class MessageBoxDialogs : public Dialogs {
public:
    void information(const QString& text) override;
    Answer yesNoCancel(const QString& text) override;
    Answer yesNo(const QString& text) override;
    Answer okCancel(const QString& text) override;
    void error(const QString& text) override;
};

// Opens addresses and files with the desktop's default application. Which application takes
// a file is asked in the background (xdg-mime), so the windows stay responsive meanwhile.
class DesktopOpener : public QObject, public Opener {
public:
    ~DesktopOpener() override;
    bool open(const QUrl& url) override;
    void openFile(const QString& path, QObject* context,
                  std::function<void(bool opened)> done) override;
};

} // namespace kv
