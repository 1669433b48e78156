#include "diagnostics/LogFolder.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quillon {

namespace {

QString& programFolderOverride() {
    static QString folder;
    return folder;
}

QString withSlash(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// A folder is usable when it exists or can be made, and this process may create files in
// it. access() also answers for a read-only file system, where even root cannot write.
bool usable(const QString& folder) {
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir()) {
        return false;
    }
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

}  // namespace

QString ProgramFolder() {
    if (!programFolderOverride().isEmpty()) {
        return programFolderOverride();
    }
    if (QCoreApplication::instance() != nullptr) {
        return QCoreApplication::applicationDirPath();
    }
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

void setProgramFolder(const QString& folder) {
    programFolderOverride() = folder;
}

QString StateFolder() {
    const QString xdg = qEnvironmentVariable("XDG_STATE_HOME");
    const QString base = !xdg.isEmpty() && QDir::isAbsolutePath(xdg)
                             ? xdg
                             : QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(base + QStringLiteral("/quillon"));
}

QString UsableLogsFolder(const QString& programFolder) {
    // An empty program folder would put the logs at the root of the file system.
    if (!programFolder.isEmpty()) {
        const QString beside = withSlash(programFolder) + QStringLiteral("Logs");
        if (usable(beside)) {
            return beside;
        }
    }
    const QString state = withSlash(StateFolder()) + QStringLiteral("Logs");
    return usable(state) ? state : QString();
}

}  // namespace quillon
