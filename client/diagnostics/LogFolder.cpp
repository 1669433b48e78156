#include "diagnostics/LogFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include "InstallLayout.h"
#include "platform/XdgFolder.h"

namespace quillon {

namespace {

QString& programFolderOverride() {
    static QString folder;
    return folder;
}

QString withSlash(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// Creates the folder and whichever of its parents are missing, each for its owner only
// (0700, whatever the umask lets through): the logs are this user's, and a folder others
// may write in would let them plant links in place of the log files.
bool makeFolders(const QString& folder) {
    const QByteArray path = QFile::encodeName(QDir::cleanPath(folder));
    for (qsizetype end = 1; end <= path.size(); ++end) {
        if (end < path.size() && path[end] != '/') {
            continue;
        }
        const QByteArray part = path.left(end);
        struct stat st {};
        if (::stat(part.constData(), &st) == 0) {
            continue;
        }
        if (::mkdir(part.constData(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return true;
}

// A folder is usable when it exists or can be made, and this process may create files in
// it. access() also answers for a read-only file system, where even root cannot write.
bool usable(const QString& folder) {
    if (!makeFolders(folder) || !QFileInfo(folder).isDir()) {
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
    return XdgFolder("XDG_STATE_HOME", QStringLiteral(".local/state")) + QStringLiteral("/quillon");
}

bool IsInstalledProgramFolder(const QString& folder) {
    // An absolute bin folder has no prefix to find the entry under: such a layout is not
    // recognised, and its programs log as a build's would (its system folders are not writable).
    const QString bin = QDir::cleanPath(QStringLiteral(QUILLON_INSTALL_BINDIR));
    const QString clean = QDir::cleanPath(folder);
    if (folder.isEmpty() || QDir::isAbsolutePath(bin) || !clean.endsWith(QLatin1Char('/') + bin)) {
        return false;
    }
    const QString prefix = clean.left(clean.size() - bin.size() - 1);
    return QFileInfo(prefix + QLatin1Char('/') + QStringLiteral(QUILLON_INSTALL_DESKTOP_ENTRY))
        .isFile();
}

QString UsableLogsFolder(const QString& programFolder) {
    // An empty program folder would put the logs at the root of the file system.
    if (!programFolder.isEmpty() && !IsInstalledProgramFolder(programFolder)) {
        const QString beside = withSlash(programFolder) + QStringLiteral("Logs");
        if (usable(beside)) {
            return beside;
        }
    }
    const QString state = withSlash(StateFolder()) + QStringLiteral("Logs");
    return usable(state) ? state : QString();
}

}  // namespace quillon
