#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

namespace kv {

// Opens a web address or a file with the desktop's default application.
class Opener {
public:
    virtual ~Opener() = default;
    // A web address in the browser; whether the desktop started one.
    virtual bool open(const QUrl& url) = 0;
    // A local file in the application the desktop names for its type. Returns at once: asking
    // the desktop may take seconds, so `done` learns later, from the event loop, whether an
    // application took the file (false when the desktop names none). `done` is dropped when
    // `context` goes first.
    virtual void openFile(const QString& path, QObject* context,
                          std::function<void(bool opened)> done) = 0;
};

class RecordingOpener : public Opener {
public:
    bool open(const QUrl& url) override {
        opened.append(url);
        return result;
    }
    // Answers at once.
    void openFile(const QString& path, QObject*, std::function<void(bool)> done) override {
        opened.append(QUrl::fromLocalFile(path));
        if (done)
            done(result);
    }
    QList<QUrl> opened;
    bool result = true;
};

} // namespace kv
