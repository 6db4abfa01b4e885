// Rewrites one file for ever through the program's own writers, so that a test can kill it at any
// moment and look at what is left.
//   kv_rewriter write PATH A B   alternates the lines of files A and B through kv::writeLines
//   kv_rewriter append PATH TEXT appends TEXT as one line at a time through kv::appendLines
// One byte on standard output says the first rewrite is done and the loop is running.
#include "common/errors.h"
#include "common/textfile.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 4)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[2]);
    try {
        if (std::strcmp(argv[1], "write") == 0 && argc == 5) {
            const QStringList a = kv::readLines(QString::fromLocal8Bit(argv[3]));
            const QStringList b = kv::readLines(QString::fromLocal8Bit(argv[4]));
            for (bool first = true;; first = false) {
                kv::writeLines(path, a);
                if (first) {
                    std::fputc('.', stdout);
                    std::fflush(stdout);
                }
                kv::writeLines(path, b);
            }
        }
        if (std::strcmp(argv[1], "append") == 0) {
            const QStringList line{QString::fromUtf8(argv[3])};
            for (bool first = true;; first = false) {
                kv::appendLines(path, line);
                if (first) {
                    std::fputc('.', stdout);
                    std::fflush(stdout);
                }
            }
        }
    } catch (const kv::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 2;
}
