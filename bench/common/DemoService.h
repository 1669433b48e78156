#pragma once

#include <memory>
#include <string>

#include "ChildProcess.h"

// corvane-sim with its demo accounts on an ephemeral loopback port, its database and log in a
// scratch folder, and the settings stores that point a client at it.
class DemoService {
  public:
    // `binDir` holds corvane-sim and hivekit-reg; `workDir` is the scratch folder. With a
    // `certDir` (the build's sim-cert.pem and sim-key.pem) the service also listens for HTTPS on
    // another ephemeral loopback port. Throws std::runtime_error when the service does not start.
    DemoService(const std::string& binDir, const std::string& workDir,
                const std::string& certDir = {});

    // "127.0.0.1:PORT" of the service's HTTP side.
    const std::string& hostPort() const { return hostPort_; }
    // "127.0.0.1:PORT" of its HTTPS side; empty without a `certDir`.
    const std::string& secureHostPort() const { return secureHostPort_; }

    // Writes `storePath` (a new store, or one to add to) so that it points at the service, with
    // the saved login demo/demo when `savedLogin`.
    void writeStore(const std::string& storePath, bool savedLogin) const;

    // One value of the key SOFTWARE\Corvane\Init, written with hivekit-reg; `type` is REG_SZ or
    // REG_DWORD. Throws std::runtime_error.
    void setting(const std::string& storePath, const std::string& name, const std::string& data,
                 const std::string& type) const;

  private:
    std::string binDir_;
    std::string workDir_;
    std::string hostPort_;
    std::string secureHostPort_;
    std::unique_ptr<ChildProcess> process_;
};
