#include "support/ScopedEnv.h"

#include <QtGlobal>

namespace quillon::test {

ScopedEnv::ScopedEnv(const char* name, const QByteArray& value) : name_(name) {
    if (qEnvironmentVariableIsSet(name)) {
        old_ = qgetenv(name);
    }
    qputenv(name, value);
}

ScopedEnv::~ScopedEnv() {
    if (old_) {
        qputenv(name_, *old_);
    } else {
        qunsetenv(name_);
    }
}

}  // namespace quillon::test
