// Test helper: appends `count` error records to the log under a program folder, as one
// instance of the client would, so that a test can run two at once.
// Usage: diagnostics_log_writer <program folder> <tag> <count>
#include <QString>
#include <cstdio>

#include "diagnostics/basErr.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <program folder> <tag> <count>\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString label =
        QStringLiteral("writer") + QString::fromLocal8Bit(argv[2]) + QStringLiteral("()");
    const int count = QString::fromLocal8Bit(argv[3]).toInt();
    const QString description = QString(QLatin1Char('x')).repeated(3000);
    for (int i = 0; i < count; ++i) {
        if (quillon::LogError(folder, QString::number(i), label, QStringLiteral("helper"),
                              description) != quillon::LogOutcome::Written) {
            std::fprintf(stderr, "record %d not written\n", i);
            return 1;
        }
    }
    return 0;
}
