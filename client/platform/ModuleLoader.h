#pragma once

#include <QStringList>

namespace quillon {

// Where one of the program's own modules (a library loaded at run time, such as
// libquillon-keyring.so) is looked for, in order: beside the program (a build tree), then in the
// program's private library folder of an installed copy.
QStringList ModuleCandidatePaths(const char* fileName);

// The first of those that loads (dlopen, symbols bound at once and kept to the module); null when
// none does.
void* OpenModule(const char* fileName);

}  // namespace quillon
