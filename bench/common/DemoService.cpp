#include "DemoService.h"

#include <stdexcept>
#include <vector>

DemoService::DemoService(const std::string& binDir, const std::string& workDir,
                         const std::string& certDir)
    : binDir_(binDir), workDir_(workDir) {
    const std::string log = workDir_ + "/sim.log";
    std::vector<std::string> args{"--db", workDir_ + "/sim.db", "--http", "127.0.0.1:0",
                                  "--seed-demo"};
    if (!certDir.empty()) {
        args.insert(args.end(), {"--https", "127.0.0.1:0", "--cert", certDir + "/sim-cert.pem",
                                 "--key", certDir + "/sim-key.pem"});
    }
    process_ = std::make_unique<ChildProcess>(binDir_ + "/corvane-sim", args,
                                              std::map<std::string, std::string>{}, log);
    hostPort_ = waitForLogLine(log, std::regex(R"(listening on http://([0-9.]+:[0-9]+)$)"),
                               std::chrono::seconds(20));
    if (!certDir.empty()) {
        secureHostPort_ = waitForLogLine(
            log, std::regex(R"(listening on https://([0-9.]+:[0-9]+)$)"), std::chrono::seconds(20));
    }
}

void DemoService::setting(const std::string& storePath, const std::string& name,
                          const std::string& data, const std::string& type) const {
    const int status =
        runToEnd(binDir_ + "/hivekit-reg",
                 {"add", "HKLM\\SOFTWARE\\Corvane\\Init", "/v", name, "/t", type, "/d", data, "/f"},
                 {{"HIVEKIT_STORE", storePath}}, workDir_ + "/hivekit-reg.log");
    if (status != 0) {
        throw std::runtime_error("hivekit-reg could not write " + name);
    }
}

void DemoService::writeStore(const std::string& storePath, bool savedLogin) const {
    setting(storePath, "UpdateHost", hostPort_, "REG_SZ");
    // corvane-sim serves plain HTTP here; with no choice stored the secure address would be used.
    setting(storePath, "bSSL", "0", "REG_DWORD");
    if (savedLogin) {
        setting(storePath, "bSaveLogin", "1", "REG_DWORD");
        setting(storePath, "Username", "demo", "REG_SZ");
        setting(storePath, "Password", "demo", "REG_SZ");
    }
}
