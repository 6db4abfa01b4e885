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

// Opens addresses and files with the desktop's default application.
class DesktopOpener : public Opener {
public:
    bool open(const QUrl& url) override;
};

} // namespace kv
