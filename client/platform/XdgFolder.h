#pragma once

#include <QString>

namespace quillon {

// A base folder of the desktop's folder layout: the folder the environment variable names when
// it is an absolute path (a relative one is to be ignored), else the user's home folder joined
// with `homeRelativeDefault` (".config", ".local/state").
QString XdgFolder(const char* variable, const QString& homeRelativeDefault);

}  // namespace quillon
