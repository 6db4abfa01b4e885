#pragma once

#include "common/dialogs.h"
#include "common/opener.h"

class QCoreApplication;
class QWidget;

namespace kv {

// The real message boxes. Their texts are plain text: they carry names and file lines, which are
// data, not markup.
class MessageBoxDialogs : public Dialogs {
public:
    void information(const QString& text) override;
    bool informationWithOffer(const QString& text, const QString& offer) override;
    Answer yesNoCancel(const QString& text) override;
    Answer yesNoCancel(const QString& text, const Captions& captions) override;
    Answer yesNo(const QString& text, Answer defaultAnswer = Answer::No) override;
    Answer okCancel(const QString& text) override;
    void error(const QString& text) override;
};

// Loads the toolkit's own Russian texts (file and print dialogs, standard buttons) whatever the
// user's locale, since the whole program speaks Russian. False when they are not installed
// (Debian's qt6-translations-l10n); the toolkit then speaks English.
bool installToolkitTranslations(QCoreApplication& app);

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
