#pragma once

#include <QString>
#include <optional>

namespace quillon {

// The desktop's Secret Service, reached through the keyring module. open() gives one only when a
// session bus is named in the environment, the module loads and a Secret Service answers (or can
// be started) on that bus: a run without a bus loads none of the bus or keychain code. Every
// call waits at most kTimeoutMs, so that a locked keyring, a prompt nobody answers or a service
// that never replies ends as a failure instead of a hang.
class Keyring {
  public:
    static constexpr int kTimeoutMs = 5000;
    enum class Status { Ok, NotFound, Failed };

    static std::optional<Keyring> open();

    Status read(const QString& username, QString& password) const;
    Status write(const QString& username, const QString& password) const;
    // A missing entry counts as removed.
    Status remove(const QString& username) const;

    // Where the module is looked for: beside the program, then in an installed copy's private
    // library folder.
    static QStringList candidatePaths();

  private:
    explicit Keyring(void* module) : module_(module) {}
    void* module_;
};

}  // namespace quillon
