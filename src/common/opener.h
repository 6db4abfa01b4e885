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

} // namespace kv
