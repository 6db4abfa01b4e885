#include "app/instancelock.h"

#include "common/dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSocketNotifier>
#include <QSysInfo>
#include <QThread>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace kv {

namespace {

QString lockPath() {
    return QDir::current().absoluteFilePath(kInstanceLockFile);
}

QString noLockMessage(const QString& reason) {
    return QStringLiteral("Не удалось занять папку данных: файл блокировки «%1» не создан (%2). "
                          "Без него вторая копия программы в этой папке испортила бы данные, "
                          "поэтому программа не запущена. Если на этом месте папка, удалите её; "
                          "проверьте права на запись в папку данных и запустите программу снова.")
        .arg(QDir::toNativeSeparators(lockPath()), reason);
}

// Who holds a lock that QLockFile refused to take over.
enum class Holder { Running, OtherMachine, Unreadable };

Holder holderOf(QLockFile& lock, QString& host, int settleMs) {
    qint64 pid = 0;
    QString app;
    // A lock stays unreadable a moment later only when nobody is writing it.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (lock.getLockInfo(&pid, &host, &app) && pid > 0) {
            if (!host.isEmpty() && host != QSysInfo::machineHostName())
                return Holder::OtherMachine;
            return Holder::Running;
        }
        if (attempt == 0)
            QThread::msleep(settleMs);
    }
    return Holder::Unreadable;
}

bool takeOver(QLockFile& lock) {
    return lock.removeStaleLockFile() && lock.tryLock(0);
}

} // namespace

std::unique_ptr<QLockFile> lockDataFolder(Dialogs& dialogs, int settleMs) {
    auto lock = std::make_unique<QLockFile>(lockPath());
    // A live copy holds the lock however long the evening lasts: only a dead owner makes it
    // stale, never its age.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0))
        return lock;
    if (lock->error() != QLockFile::LockFailedError || !QFileInfo(lockPath()).isFile()) {
        dialogs.information(noLockMessage(QFileInfo(lockPath()).isDir()
                                              ? QStringLiteral("на его месте папка")
                                              : QStringLiteral("нет прав на запись")));
        return nullptr;
    }
    QString host;
    switch (holderOf(*lock, host, settleMs)) {
    case Holder::Unreadable:
        if (takeOver(*lock))
            return lock;
        break;
    case Holder::OtherMachine:
        if (dialogs.yesNo(QStringLiteral("Папку данных занимает программа на другом компьютере "
                                         "(«%1», файл блокировки «%2»). Если там она уже закрыта "
                                         "(например, папка перенесена из резервной копии), "
                                         "программу можно запустить здесь. Запустить программу?")
                              .arg(host, QDir::toNativeSeparators(lockPath()))) !=
            Dialogs::Answer::Yes)
            return nullptr;
        if (takeOver(*lock))
            return lock;
        break;
    case Holder::Running:
        break;
    }
    dialogs.information(kAlreadyRunningMessage +
                        QStringLiteral(" Переключитесь на её окно. Если другой копии нет, "
                                       "удалите файл блокировки «%1» и запустите программу снова.")
                            .arg(QDir::toNativeSeparators(lockPath())));
    return nullptr;
}

namespace {

int signalPipe[2] = {-1, -1};
bool terminating = false;

void onTerminationSignal(int) {
    const char byte = 1;
    // Only what is safe in a signal handler: the event loop reads the byte.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

} // namespace

void quitOnTerminationSignals() {
    if (signalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto* notifier =
        new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(signalPipe[0], &byte, 1);
        terminating = true;
        // Ends every event loop running now, a message box's too.
        QCoreApplication::exit(0);
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

bool terminationRequested() {
    return terminating;
}

} // namespace kv
