#include "platform/ModuleLoader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "InstallLayout.h"

namespace quillon {

std::vector<std::string> ModuleCandidateFiles(const char* fileName) {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) {
        return {};
    }
    std::string folder(path, static_cast<size_t>(n));
    folder.erase(folder.rfind('/') + 1);
    return {folder + fileName, folder + QUILLON_INSTALL_COMPONENT_FROM_BIN + "/" + fileName};
}

QStringList ModuleCandidatePaths(const char* fileName) {
    QStringList paths;
    for (const std::string& file : ModuleCandidateFiles(fileName)) {
        paths << QDir::cleanPath(QFile::decodeName(file.c_str()));
    }
    return paths;
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
