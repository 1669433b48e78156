#include "platform/ClientError.h"

namespace quillon {

ClientError::ClientError(long number, QString source, QString description)
    : std::runtime_error(description.toStdString()),
      number_(number),
      source_(std::move(source)),
      description_(std::move(description)) {}

}  // namespace quillon
