#include "common/besidework.h"

#include <QThread>

#include <memory>

namespace kv {

BesideWork::BesideWork(QObject* parent) : QObject(parent) {}

BesideWork::~BesideWork() {
    if (thread_)
        thread_->wait();
}

void BesideWork::run(Work work) {
    if (thread_) {
        waiting_ = std::move(work);
        return;
    }
    start(std::move(work));
}

void BesideWork::start(Work work) {
    auto result = std::make_shared<HandOver>();
    QThread* thread = QThread::create([result, work = std::move(work)] { *result = work(); });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    connect(thread, &QThread::finished, this, [this, result] {
        thread_ = nullptr;
        if (waiting_) {
            start(std::exchange(waiting_, {}));
            return;
        }
        if (*result)
            (*result)();
    });
    thread_ = thread;
    thread->start();
}

} // namespace kv
