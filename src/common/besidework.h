#pragma once

#include <QObject>

#include <functional>

class QThread;

namespace kv {

// Work that may take long, done beside the window's thread, one at a time. Asked for again while
// one runs, the newest work runs once that one ends and only its result is handed over: two
// readings of the history never race, and an older result never replaces a newer one.
class BesideWork : public QObject {
    Q_OBJECT
public:
    // What the work hands back: run in the object's thread when no newer work is waiting.
    using HandOver = std::function<void()>;
    // Runs on another thread: it must use nothing shared with the window (its own connection to
    // the database, copies of what it needs) and let no exception out.
    using Work = std::function<HandOver()>;

    explicit BesideWork(QObject* parent = nullptr);
    // Waits for the running work; its result is dropped.
    ~BesideWork() override;

    void run(Work work);
    bool isRunning() const { return thread_ != nullptr; }

private:
    void start(Work work);

    QThread* thread_ = nullptr;
    Work waiting_;
};

} // namespace kv
