#pragma once

#include <QStringList>
#include <string>
#include <vector>

namespace quillon {

// Where one of the program's own libraries loaded at run time (libhivekit.so,
// libquillon-keyring.so, libquillon-curl.so) is looked for, in order: beside the program (a build
// tree), then in the program's private library folder of an installed copy. The program's folder
// comes from /proc/self/exe, so this needs no application object and no Qt (the component starts
// loading on a thread of its own before the application exists); empty when that is unreadable.
std::vector<std::string> ModuleCandidateFiles(const char* fileName);

// The same places as Qt paths.
QStringList ModuleCandidatePaths(const char* fileName);

// The first of those that loads (dlopen, symbols bound at once and kept to the module); null when
// none does.
void* OpenModule(const char* fileName);

}  // namespace quillon
