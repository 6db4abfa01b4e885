// Rewrites one file for ever through the program's own writers, so that a test can kill it at any
// moment and look at what is left.
//   kv_rewriter write PATH A B   alternates the lines of files A and B through kv::writeLines
//   kv_rewriter append PATH TEXT appends TEXT as one line at a time through kv::appendLines
// Starting a program costs far more than a write, so this one stays: for every line read on
// standard input it forks a writer, which prints its process id once its first write is done and
// then loops until the test kills it. "end" follows when the writer is gone.
#include "common/errors.h"
#include "common/textfile.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Never outlives the process that started it, should that one die first.
void dieWithParent() {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
}

// The writer: its first write, its process id on standard output, then writes until killed.
[[noreturn]] void writeForEver(const QString& path, bool rewrite, const QStringList& a,
                               const QStringList& b) {
    dieWithParent();
    const auto write = [&](const QStringList& lines) {
        rewrite ? kv::writeLines(path, lines) : kv::appendLines(path, lines);
    };
    try {
        write(a);
        std::printf("%d\n", int(getpid()));
        std::fflush(stdout);
        for (bool second = true;; second = !second)
            write(second ? b : a);
    } catch (const kv::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    _exit(1);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4)
        return 2;
    dieWithParent();
    const QString path = QString::fromLocal8Bit(argv[2]);
    const bool rewrite = std::strcmp(argv[1], "write") == 0 && argc == 5;
    if (!rewrite && std::strcmp(argv[1], "append") != 0)
        return 2;
    QStringList a, b;
    try {
        a = rewrite ? kv::readLines(QString::fromLocal8Bit(argv[3]))
                    : QStringList{QString::fromUtf8(argv[3])};
        b = rewrite ? kv::readLines(QString::fromLocal8Bit(argv[4])) : a;
    } catch (const kv::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    for (int c; (c = std::getchar()) != EOF;) {
        if (c != '\n')
            continue;
        const pid_t writer = fork();
        if (writer < 0)
            return 1;
        if (writer == 0)
            writeForEver(path, rewrite, a, b);
        waitpid(writer, nullptr, 0);
        std::fputs("end\n", stdout);
        std::fflush(stdout);
    }
    return 0;
}
