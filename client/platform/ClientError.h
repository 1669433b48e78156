#pragma once

#include <QString>
#include <stdexcept>

namespace quillon {

// An unexpected error inside a client procedure. It carries what the error report shows
// and logs: a number, the source that raised it and a description. Procedures catch it at
// their end and hand it to ErrorReport with their own label.
class ClientError : public std::runtime_error {
  public:
    ClientError(long number, QString source, QString description);

    long number() const { return number_; }
    const QString& source() const { return source_; }
    const QString& description() const { return description_; }

  private:
    long number_;
    QString source_;
    QString description_;
};

}  // namespace quillon
