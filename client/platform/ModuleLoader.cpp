#include "platform/ModuleLoader.h"

#include <dlfcn.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "InstallLayout.h"

namespace quillon {

QStringList ModuleCandidatePaths(const char* fileName) {
    const QString dir = QCoreApplication::applicationDirPath();
    const QString file = QString::fromLatin1(fileName);
    return {QDir(dir).filePath(file),
            QDir::cleanPath(dir + QLatin1Char('/') +
                            QStringLiteral(QUILLON_INSTALL_COMPONENT_FROM_BIN) + QLatin1Char('/') +
                            file)};
}

void* OpenModule(const char* fileName) {
    for (const QString& path : ModuleCandidatePaths(fileName)) {
        if (!QFileInfo::exists(path)) {
            continue;
        }
        if (void* handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL)) {
            return handle;
        }
    }
    return nullptr;
}

}  // namespace quillon
