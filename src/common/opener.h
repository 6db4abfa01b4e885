#pragma once

#include <QList>
#include <QUrl>

namespace kv {

// Opens a web address or a file with the desktop's default application.
class Opener {
public:
    virtual ~Opener() = default;
    virtual bool open(const QUrl& url) = 0;
};

class RecordingOpener : public Opener {
public:
    bool open(const QUrl& url) override {
        opened.append(url);
        return result;
    }
    QList<QUrl> opened;
    bool result = true;
};

} // namespace kv
