#pragma once

#include <map>
#include <memory>
#include <string>

#include "ChildProcess.h"
#include "DemoService.h"
#include "ScratchFolder.h"

// What the start-up benchmark runs the programs in: a scratch folder, an X display (a virtual
// one of its own when DISPLAY is not set), corvane-sim with its demo accounts on ephemeral
// loopback ports (HTTP, and HTTPS with the build's self-signed certificate), and stores that
// point quillon at it.
class BenchEnvironment {
  public:
    // `binDir` holds quillon, corvane-sim, hivekit-reg and the yardsticks; `certDir` the
    // certificate and key of corvane-sim's HTTPS side. Throws std::runtime_error when something
    // does not start.
    BenchEnvironment(const std::string& binDir, const std::string& certDir);
    BenchEnvironment(const BenchEnvironment&) = delete;
    BenchEnvironment& operator=(const BenchEnvironment&) = delete;

    const std::string& display() const { return display_; }
    std::string path(const std::string& name) const { return work_.path(name); }
    std::string program(const std::string& name) const { return binDir_ + "/" + name; }

    // An HTTPS address of corvane-sim, and the certificate authority file it is verified with.
    std::string secureUrl(const std::string& pathAndQuery) const;
    std::string certificateAuthority() const { return certDir_ + "/sim-cert.pem"; }

    // A new store pointing at corvane-sim, with the saved login demo/demo when `savedLogin`.
    std::string makeStore(const std::string& name, bool savedLogin) const;

    // The environment both measured programs run with, quillon using `store`.
    std::map<std::string, std::string> programEnvironment(const std::string& store) const;

  private:
    void startScreen();

    // Declared first so that it goes last, after the programs that write into it.
    ScratchFolder work_;
    std::string binDir_;
    std::string certDir_;
    std::string display_;
    std::unique_ptr<ChildProcess> screen_;
    std::unique_ptr<DemoService> service_;
};
