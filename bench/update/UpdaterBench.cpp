// Memory benchmark of quillon-update, the update cycle without windows, beside two other
// dynamic-DNS clients that people run on machines with no desktop, inadyn and ddclient.
//
// Each program is started in the foreground, one after the other, and measured once it has done
// its first round of work and then idled for --idle seconds: quillon-update logged in as demo
// against corvane-sim, inadyn and ddclient each configured for a custom provider on a loopback
// HTTP server inside this program, which answers every request, the address check and the
// update alike, with "good 192.0.2.1". Nothing of any of them reaches beyond 127.0.0.1: every
// address in their settings is a loopback one and the proxy variables are removed from their
// environment. The memory read is the kernel's: VmRSS and RssAnon from /proc/PID/status, Pss
// from /proc/PID/smaps_rollup. The peers are measured when they are installed and named as
// missing otherwise; this program never installs them. Beside them runs a yardstick, updater_floor:
// Qt Core and libcurl making one request to the same service, the least any program on
// quillon-update's libraries costs.
//
// A plain program rather than a Google Benchmark: each sample is a whole process started and
// ended from outside, and the result is a comparison between programs against goals.

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "DemoService.h"
#include "LoopbackServer.h"
#include "ProcessMemory.h"
#include "ScratchFolder.h"

namespace {

using namespace std::chrono_literals;

// quillon-update's goals, in KiB: resident memory under 20 MiB, anonymous memory at most
// 2.5 MiB, and a proportional share below ddclient's.
constexpr long kRssGoal = 20 * 1024;
constexpr long kAnonGoal = 2560;
// What quillon-update prints on standard error once it has logged in.
const std::string kLoggedInText = "updating the records of";
// How long a program may take to log in or to send its first update.
constexpr auto kReadyLimit = 60s;
// The name the peers keep up to date. inadyn looks up a name's present address before it sends
// an update; a name that the hosts file answers keeps that lookup off the DNS resolver.
const std::string kHostName = "localhost";

const char* const kNames[] = {"quillon-update", "floor", "inadyn", "ddclient"};

struct Options {
    int idleSeconds = 60;
    std::string only;  // empty: all three
    std::string binDir;
};

[[noreturn]] void usage(const char* program) {
    std::fprintf(stderr,
                 "usage: %s [--idle SECONDS] [--only quillon-update|floor|inadyn|ddclient]\n"
                 "  --idle  time each program idles after its first check before its memory\n"
                 "          is read (60)\n"
                 "  --only  measure one program only\n"
                 "UPDATER_BENCH_KEEP=1 keeps the scratch folder with the programs' logs.\n",
                 program);
    std::exit(2);
}

Options parseOptions(int argc, char* argv[]) {
    Options o;
    o.binDir = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) {
            usage(argv[0]);
        }
        const std::string value = argv[++i];
        if (arg == "--idle") {
            o.idleSeconds = std::max(0, std::atoi(value.c_str()));
        } else if (arg == "--only") {
            bool known = false;
            for (const char* name : kNames) {
                known = known || value == name;
            }
            if (!known) {
                usage(argv[0]);
            }
            o.only = value;
        } else {
            usage(argv[0]);
        }
    }
    return o;
}

// The installed program `name` on the search path or in the system folders (Debian puts inadyn
// in /usr/sbin, which a user's PATH often lacks); empty when there is none.
std::string findProgram(const std::string& name) {
    std::string dirs = std::getenv("PATH") ? std::getenv("PATH") : "";
    dirs += ":/usr/sbin:/usr/bin:/sbin:/bin";
    std::istringstream parts(dirs);
    std::string dir;
    while (std::getline(parts, dir, ':')) {
        const std::string candidate = dir + "/" + name;
        if (!dir.empty() && access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path);
    out << text;
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + path);
    }
    // The settings hold a password, if only a made-up one.
    chmod(path.c_str(), 0600);
}

// The measured programs' environment: no proxy, so that the loopback addresses are reached
// directly and nothing is sent anywhere else.
std::map<std::string, std::string> loopbackEnvironment() {
    std::map<std::string, std::string> env;
    for (const char* name : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "all_proxy",
                             "ALL_PROXY", "ftp_proxy", "FTP_PROXY"}) {
        env[name] = "";  // an empty value removes the variable
    }
    env["no_proxy"] = env["NO_PROXY"] = "127.0.0.1,localhost";
    return env;
}

// The last lines of a program's log, for a failure's message: the scratch folder with the log
// goes at the end of the run (unless UPDATER_BENCH_KEEP=1).
std::string logTail(const std::string& logFile) {
    constexpr size_t kLines = 5;
    std::ifstream in(logFile);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    std::string tail = lines.empty() ? "; its log is empty" : "; its log ends:";
    for (size_t i = lines.size() > kLines ? lines.size() - kLines : 0; i < lines.size(); ++i) {
        tail += "\n      " + lines[i];
    }
    return tail;
}

// One program to measure: how to start it, and how to tell that it has done its first check.
struct Subject {
    std::string name;
    std::string path;    // empty when the program is not there
    std::string absent;  // what to print instead of a measure when `path` is empty
    std::vector<std::string> args;
    std::map<std::string, std::string> env;
    std::string readyWhat;  // "logged in", "sent its first update"
    std::function<bool()> ready;
};

struct Result {
    std::string name;
    std::string absent;   // why the program is not there; empty when it is
    std::string failure;  // why it could not be measured; empty when it was
    ProcessMemory memory;
    int exitStatus = -1;  // after the SIGTERM that ended it
};

class Bench {
  public:
    explicit Bench(const Options& o) : o_(o), work_("updater-bench", "UPDATER_BENCH_KEEP") {}

    Subject quillonUpdate();
    Subject floor();
    Subject inadyn();
    Subject ddclient();
    Result measure(const Subject& s);

  private:
    std::string log(const std::string& name) const { return work_.path(name + ".log"); }
    Subject builtProgram(const std::string& name, const std::string& file,
                         const std::string& readyWhat, const std::string& readyText);
    Subject peer(const std::string& name, const std::string& updatePath);
    std::string peerSettings(std::string text) const;

    Options o_;
    ScratchFolder work_;
    // Started on first use: the service for quillon-update and the floor, the server for the peers.
    std::unique_ptr<DemoService> service_;
    std::unique_ptr<LoopbackServer> server_;
};

// A program built beside this one (`file`), run against corvane-sim: ready once its log has a line
// holding `readyText`. `path` stays empty when the program is not built.
Subject Bench::builtProgram(const std::string& name, const std::string& file,
                            const std::string& readyWhat, const std::string& readyText) {
    Subject s;
    s.name = name;
    s.path = o_.binDir + "/" + file;
    if (access(s.path.c_str(), X_OK) != 0) {
        s.absent = "not built (no " + s.path + ")";
        s.path.clear();
        return s;
    }
    if (!service_) {
        service_ = std::make_unique<DemoService>(o_.binDir, work_.path());
    }
    s.env = loopbackEnvironment();
    const std::string logFile = log(s.name);
    s.readyWhat = readyWhat;
    s.ready = [logFile, readyText] {
        std::ifstream in(logFile);
        std::string line;
        while (std::getline(in, line)) {
            if (line.find(readyText) != std::string::npos) {
                return true;
            }
        }
        return false;
    };
    return s;
}

Subject Bench::quillonUpdate() {
    Subject s = builtProgram("quillon-update", "quillon-update", "logged in", kLoggedInText);
    if (s.path.empty()) {
        return s;
    }
    const std::string store = work_.path("quillon-update.db");
    service_->writeStore(store, true);
    service_->setting(store, "RefreshRate", "60", "REG_SZ");
    s.env["HIVEKIT_STORE"] = store;
    s.env["XDG_STATE_HOME"] = work_.path();  // an error log, if any, lands in the scratch folder
    return s;
}

// The yardstick (updater_floor): one request to the same service.
Subject Bench::floor() {
    Subject s = builtProgram("floor", "updater_floor", "made its request", "HTTP status");
    if (!s.path.empty()) {
        s.args = {"http://" + service_->hostPort() + "/dnslogin3.asp"};
    }
    return s;
}

// A peer found on the system, set up against the loopback server: ready once a request whose
// path starts with `updatePath` has come. Its `args` are left to the caller.
Subject Bench::peer(const std::string& name, const std::string& updatePath) {
    Subject s;
    s.name = name;
    s.path = findProgram(name);
    if (s.path.empty()) {
        s.absent = "not installed";
        return s;
    }
    if (!server_) {
        server_ = std::make_unique<LoopbackServer>();
    }
    s.env = loopbackEnvironment();
    s.readyWhat = "sent its first update";
    s.ready = [server = server_.get(), updatePath] { return server->received(updatePath); };
    return s;
}

// `text` with @SERVER@ replaced by the loopback server's "127.0.0.1:PORT" and @HOST@ by the
// name the peers keep up to date.
std::string Bench::peerSettings(std::string text) const {
    for (const auto& [mark, value] : {std::pair{std::string("@SERVER@"), server_->hostPort()},
                                      std::pair{std::string("@HOST@"), kHostName}}) {
        for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at)) {
            text.replace(at, mark.size(), value);
            at += value.size();
        }
    }
    return text;
}

Subject Bench::inadyn() {
    Subject s = peer("inadyn", "/inadyn/update");
    if (s.path.empty()) {
        return s;
    }
    const std::string conf = work_.path("inadyn.conf");
    writeFile(conf, peerSettings(R"(period = 60
custom bench {
    ssl            = false
    username       = bench
    password       = bench
    checkip-server = @SERVER@
    checkip-path   = /inadyn/ip
    checkip-ssl    = false
    ddns-server    = @SERVER@
    ddns-path      = "/inadyn/update?hostname=%h&myip=%i"
    hostname       = @HOST@
}
)"));
    const std::string cache = work_.path("inadyn-cache");
    std::filesystem::create_directory(cache);
    s.args = {"--foreground", "--no-pidfile", "-f", conf, "--cache-dir", cache};
    return s;
}

Subject Bench::ddclient() {
    // dyndns2's update path; the address check has a path of its own.
    Subject s = peer("ddclient", "/nic/update");
    if (s.path.empty()) {
        return s;
    }
    const std::string conf = work_.path("ddclient.conf");
    writeFile(conf, peerSettings(R"(ssl=no
protocol=dyndns2
server=@SERVER@
login=bench
password=bench
use=web, web=http://@SERVER@/ddclient/ip
@HOST@
)"));
    s.args = {"-foreground",
              "-daemon",
              "60",
              "-file",
              conf,
              "-cache",
              work_.path("ddclient.cache"),
              "-pid",
              work_.path("ddclient.pid")};
    return s;
}

Result Bench::measure(const Subject& s) {
    Result r;
    r.name = s.name;
    if (s.path.empty()) {
        r.absent = s.absent;
        return r;
    }
    const std::string logFile = log(s.name);
    std::printf("%s: started, waiting until it has %s ...\n", s.name.c_str(), s.readyWhat.c_str());
    std::fflush(stdout);
    ChildProcess child(s.path, s.args, s.env, logFile);
    const auto deadline = std::chrono::steady_clock::now() + kReadyLimit;
    while (!s.ready()) {
        if (!child.running()) {
            r.failure = "ended before it had " + s.readyWhat + logTail(logFile);
            return r;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            r.failure = "had not " + s.readyWhat + " after " +
                        std::to_string(std::chrono::seconds(kReadyLimit).count()) + " s" +
                        logTail(logFile);
            return r;
        }
        std::this_thread::sleep_for(50ms);
    }
    std::printf("%s: %s, idle for %d s\n", s.name.c_str(), s.readyWhat.c_str(), o_.idleSeconds);
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::seconds(o_.idleSeconds));
    if (!child.running()) {
        r.failure = "ended while idle" + logTail(logFile);
        return r;
    }
    r.memory = readProcessMemory(child.pid());
    r.exitStatus = child.stop();
    return r;
}

std::string kib(long value) {
    return value < 0 ? "-" : std::to_string(value);
}

void printTable(const std::vector<Result>& results, int idleSeconds) {
    std::printf("\nmemory after the first check and %d s idle (KiB)\n", idleSeconds);
    std::printf("  %-16s %10s %10s %10s   %s\n", "program", "VmRSS", "RssAnon", "Pss",
                "exit status after SIGTERM");
    for (const Result& r : results) {
        if (!r.absent.empty() || !r.failure.empty()) {
            std::printf("  %s: %s\n", r.name.c_str(), (r.absent + r.failure).c_str());
            continue;
        }
        const std::string exit =
            r.exitStatus >= 0 ? std::to_string(r.exitStatus) : "none (ended by a signal)";
        std::printf("  %-16s %10s %10s %10s   %s\n", r.name.c_str(), kib(r.memory.rss).c_str(),
                    kib(r.memory.rssAnon).c_str(), kib(r.memory.pss).c_str(), exit.c_str());
    }
}

const Result* find(const std::vector<Result>& results, const std::string& name) {
    for (const Result& r : results) {
        if (r.name == name && r.absent.empty() && r.failure.empty()) {
            return &r;
        }
    }
    return nullptr;
}

const char* verdict(bool met) {
    return met ? "met" : "MISSED";
}

// The goals for quillon-update; a figure the kernel did not give (-1) never meets one.
void printGoals(const std::vector<Result>& results) {
    const Result* q = find(results, "quillon-update");
    if (!q) {
        std::printf("\ngoals for quillon-update: not measured\n");
        return;
    }
    const ProcessMemory& m = q->memory;
    std::printf("\ngoals for quillon-update\n");
    std::printf("  VmRSS   %8s KiB under %ld KiB (20 MiB): %s\n", kib(m.rss).c_str(), kRssGoal,
                verdict(m.rss >= 0 && m.rss < kRssGoal));
    std::printf("  RssAnon %8s KiB at most %ld KiB (2.5 MiB): %s\n", kib(m.rssAnon).c_str(),
                kAnonGoal, verdict(m.rssAnon >= 0 && m.rssAnon <= kAnonGoal));
    // What quillon-update's own work adds to the least its libraries cost.
    if (const Result* f = find(results, "floor"); f && f->memory.pss >= 0 && m.pss >= 0) {
        std::printf(
            "  (the floor, Qt Core and libcurl after one request: Pss %ld KiB; "
            "quillon-update's own: %ld KiB)\n",
            f->memory.pss, m.pss - f->memory.pss);
    }
    if (const Result* d = find(results, "ddclient"); d && d->memory.pss >= 0) {
        std::printf("  Pss     %8s KiB below ddclient's %ld KiB: %s\n", kib(m.pss).c_str(),
                    d->memory.pss, verdict(m.pss >= 0 && m.pss < d->memory.pss));
    } else {
        std::printf("  Pss     %8s KiB below ddclient's: not compared (ddclient not measured)\n",
                    kib(m.pss).c_str());
    }
}

int run(const Options& o) {
    Bench bench(o);
    std::vector<Result> results;
    const std::vector<std::pair<std::string, Subject (Bench::*)()>> subjects = {
        {"quillon-update", &Bench::quillonUpdate},
        {"floor", &Bench::floor},
        {"inadyn", &Bench::inadyn},
        {"ddclient", &Bench::ddclient},
    };
    for (const auto& [name, make] : subjects) {
        if (o.only.empty() || o.only == name) {
            results.push_back(bench.measure((bench.*make)()));
        }
    }
    printTable(results, o.idleSeconds);
    printGoals(results);
    // A program that is there but could not be measured fails the run; a missing one does not.
    for (const Result& r : results) {
        if (!r.failure.empty()) {
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    try {
        return run(parseOptions(argc, argv));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "updater_bench: %s\n", e.what());
        return 1;
    }
}
