#include "platform/XdgFolder.h"

#include <QDir>

namespace quillon {

QString XdgFolder(const char* variable, const QString& homeRelativeDefault) {
    const QString set = qEnvironmentVariable(variable);
    return QDir::cleanPath(!set.isEmpty() && QDir::isAbsolutePath(set)
                               ? set
                               : QDir::homePath() + QLatin1Char('/') + homeRelativeDefault);
}

}  // namespace quillon
