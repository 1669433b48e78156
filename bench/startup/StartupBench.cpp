// Start-up benchmark: quillon beside two yardsticks, measured the same way in one run: a bare
// Qt dialog, and the same dialog in a program that links libcurl and makes one HTTPS request to
// corvane-sim before it shows (the libcurl floor: the same toolkit doing the same kind of work).
//
//  start   time from starting the program to its window being mapped on the X display (the
//          goal's measure, against the bare dialog), and to the first drawing into it (when its
//          content can be seen); the median of --runs starts of each, the programs taking turns
//          so that the machine's load falls on all alike;
//  memory  resident memory (VmRSS, and PSS) of the three at their first window after --settle
//          seconds, and of quillon logged in automatically as demo/demo against corvane-sim
//          (its main window shown) beside the two yardsticks, all after --idle seconds; the
//          goals are against the libcurl floor.
//
// A plain program rather than a Google Benchmark: every sample is a whole process started and
// ended from outside, the result wanted is a ratio between programs against a goal, and their
// samples must interleave; the library's in-process timing loop fits none of that.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "BenchEnvironment.h"
#include "ChildProcess.h"
#include "ProcessMemory.h"
#include "WindowWatch.h"

namespace {

using namespace std::chrono_literals;
using Clock = WindowWatch::Clock;

// Time to the login window beside the bare dialog.
constexpr double kStartGoal = 1.5;
// Resident memory and PSS beside the libcurl floor, at the login window and logged in after the
// idle time.
constexpr double kMemoryGoal = 1.25;
const std::string kBareTitle = "Bare dialog";
// Not starting with the bare dialog's title: windows are matched by their title's start.
const std::string kCurlTitle = "Dialog with libcurl";
const std::string kLoginTitle = "Login  version ";
const std::string kMainTitle = "Corvane Dynamic DNS version ";

struct Options {
    int runs = 9;
    int idleSeconds = 60;
    int settleSeconds = 2;
    bool startOnly = false;
    std::string binDir;
    std::string certDir = STARTUP_BENCH_CERT_DIR;
};

[[noreturn]] void usage(const char* program) {
    std::fprintf(
        stderr,
        "usage: %s [--runs N] [--idle SECONDS] [--settle SECONDS] [--bin DIR] [--certs DIR]\n"
        "          [--start-only]\n"
        "  --runs    starts of each program for the start-up median (9)\n"
        "  --idle    idle time after the automatic login before memory is read (60)\n"
        "  --settle  time after the first window before memory is read (2)\n"
        "  --bin     folder of quillon, corvane-sim, hivekit-reg, startup_bare_dialog,\n"
        "            startup_curl_dialog (the benchmark's own folder)\n"
        "  --certs   folder of corvane-sim's sim-cert.pem and sim-key.pem (the build's)\n"
        "  --start-only  measure the start-up time only\n",
        program);
    std::exit(2);
}

Options parseOptions(int argc, char* argv[]) {
    Options o;
    o.binDir = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--start-only") {
            o.startOnly = true;
            continue;
        }
        if (i + 1 >= argc) {
            usage(argv[0]);
        }
        const std::string value = argv[++i];
        if (arg == "--runs") {
            o.runs = std::max(1, std::atoi(value.c_str()));
        } else if (arg == "--idle") {
            o.idleSeconds = std::max(0, std::atoi(value.c_str()));
        } else if (arg == "--settle") {
            o.settleSeconds = std::max(0, std::atoi(value.c_str()));
        } else if (arg == "--bin") {
            o.binDir = value;
        } else if (arg == "--certs") {
            o.certDir = value;
        } else {
            usage(argv[0]);
        }
    }
    return o;
}

struct Program {
    std::string label;
    std::string path;
    std::vector<std::string> args;
    std::map<std::string, std::string> env;
    std::string title;
};

// One start: milliseconds from the start to the window being mapped, and to its first drawing.
struct Start {
    double mapped = 0;
    double painted = 0;
};

Start timeToWindow(BenchEnvironment& bench, WindowWatch& watch, const Program& p) {
    watch.drain();
    const auto started = Clock::now();
    ChildProcess child(p.path, p.args, p.env, bench.path(p.label + ".log"));
    const auto mapped = watch.waitForMapped(p.title, started + 30s);
    if (!mapped) {
        throw std::runtime_error(p.label + ": no window \"" + p.title + "\" within 30 s");
    }
    const auto painted = watch.waitForPainted(mapped->window, started + 30s);
    if (!painted) {
        throw std::runtime_error(p.label + ": nothing drawn into its window within 30 s");
    }
    const auto ms = [started](Clock::time_point t) {
        return std::chrono::duration<double, std::milli>(t - started).count();
    };
    return {ms(mapped->when), ms(*painted)};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The three programs measured, the yardsticks first.
struct Programs {
    Program bare;
    Program curl;
    Program quillon;
};

// Memory of the three programs read at one moment.
struct MemoryReading {
    ProcessMemory bare;
    ProcessMemory curl;
    ProcessMemory quillon;
};

// Starts the three programs together, waits for their windows and `wait`, and reads their memory.
MemoryReading memoryAfter(BenchEnvironment& bench, WindowWatch& watch, const Programs& p,
                          std::chrono::seconds wait) {
    watch.drain();
    const auto start = [&bench, &watch](const Program& program, std::chrono::seconds limit) {
        auto child = std::make_unique<ChildProcess>(program.path, program.args, program.env,
                                                    bench.path(program.label + ".log"));
        if (!watch.waitForMapped(program.title, Clock::now() + limit).has_value()) {
            throw std::runtime_error(program.label + " showed no window \"" + program.title + "\"");
        }
        return child;
    };
    const auto bare = start(p.bare, 30s);
    const auto curl = start(p.curl, 30s);
    const auto quillon = start(p.quillon, 60s);
    std::this_thread::sleep_for(wait);
    if (!bare->running() || !curl->running() || !quillon->running()) {
        throw std::runtime_error("a program ended while idle");
    }
    return {readProcessMemory(bare->pid()), readProcessMemory(curl->pid()),
            readProcessMemory(quillon->pid())};
}

const char* verdict(double ratio, double goal) {
    return ratio <= goal ? "met" : "MISSED";
}

double ratio(long numerator, long denominator) {
    return static_cast<double>(numerator) / static_cast<double>(denominator);
}

// The median of each run's own ratio of quillon to a yardstick: each run's starts follow one
// another, so their ratio sees the same load on the machine, the steadier figure where the load
// changes.
double medianOfPaired(const std::vector<double>& quillon, const std::vector<double>& yardstick) {
    std::vector<double> paired;
    for (size_t i = 0; i < yardstick.size(); ++i) {
        paired.push_back(quillon[i] / yardstick[i]);
    }
    return median(paired);
}

// One table of start times: each program's median, least and most, and quillon's ratios.
void printStarts(const char* heading, const std::vector<double>& bare,
                 const std::vector<double>& curl, const std::vector<double>& quillon,
                 bool withGoal) {
    const auto row = [](const char* name, const std::vector<double>& v, const char* note) {
        std::printf("  %-10s %10.1f %10.1f %10.1f%s\n", name, median(v),
                    *std::min_element(v.begin(), v.end()), *std::max_element(v.begin(), v.end()),
                    note);
    };
    std::printf("\n%s (ms)\n", heading);
    std::printf("  %-10s %10s %10s %10s\n", "", "median", "min", "max");
    row("bare", bare, "");
    row("libcurl", curl, "   (after its HTTPS request)");
    row("quillon", quillon, "   (login window)");
    const double toBare = median(quillon) / median(bare);
    if (withGoal) {
        std::printf("  quillon / bare %.2f (goal <= %.2f: %s)\n", toBare, kStartGoal,
                    verdict(toBare, kStartGoal));
    } else {
        std::printf("  quillon / bare %.2f\n", toBare);
    }
    std::printf("  quillon / libcurl %.2f\n", median(quillon) / median(curl));
    std::printf("  median of the runs' own ratios: to bare %.2f, to libcurl %.2f\n",
                medianOfPaired(quillon, bare), medianOfPaired(quillon, curl));
}

void printMemory(const char* heading, const MemoryReading& m) {
    std::printf("\n%s\n", heading);
    std::printf("  %-10s %10s %10s %10s %10s %10s\n", "KiB", "VmRSS", "RssAnon", "RssFile", "Pss",
                "Pss_Anon");
    for (const auto& [name, mem] : {std::pair{"bare", m.bare}, std::pair{"libcurl", m.curl},
                                    std::pair{"quillon", m.quillon}}) {
        std::printf("  %-10s %10ld %10ld %10ld %10ld %10ld\n", name, mem.rss, mem.rssAnon,
                    mem.rssFile, mem.pss, mem.pssAnon);
    }
    const double rss = ratio(m.quillon.rss, m.curl.rss);
    std::printf("  quillon / libcurl: VmRSS %.2f (goal <= %.2f: %s)", rss, kMemoryGoal,
                verdict(rss, kMemoryGoal));
    if (m.curl.pss > 0 && m.quillon.pss > 0) {
        const double pss = ratio(m.quillon.pss, m.curl.pss);
        std::printf(", Pss %.2f (goal <= %.2f: %s)\n", pss, kMemoryGoal, verdict(pss, kMemoryGoal));
    } else {
        std::printf(", Pss not measured (no smaps_rollup)\n");
    }
    std::printf("  quillon / bare: VmRSS %.2f", ratio(m.quillon.rss, m.bare.rss));
    if (m.bare.pss > 0 && m.quillon.pss > 0) {
        std::printf(", Pss %.2f", ratio(m.quillon.pss, m.bare.pss));
    }
    std::printf("\n");
}

int run(const Options& o) {
    BenchEnvironment bench(o.binDir, o.certDir);
    WindowWatch watch(bench.display());
    // Both yardsticks run with the same environment as quillon; their store is not read.
    const auto yardstickEnv = bench.programEnvironment(bench.path("unused.db"));
    const Programs atLogin{
        {"bare", bench.program("startup_bare_dialog"), {kBareTitle}, yardstickEnv, kBareTitle},
        {"libcurl",
         bench.program("startup_curl_dialog"),
         {kCurlTitle, bench.secureUrl("/autoupdate/dnslogin3.asp"), bench.certificateAuthority()},
         yardstickEnv,
         kCurlTitle},
        {"quillon-login",
         bench.program("quillon"),
         {},
         bench.programEnvironment(bench.makeStore("login.db", false)),
         kLoginTitle}};
    Programs loggedIn = atLogin;
    loggedIn.quillon = {"quillon-auto",
                        bench.program("quillon"),
                        {},
                        bench.programEnvironment(bench.makeStore("auto.db", true)),
                        kMainTitle};

    std::printf("display %s, %d runs each, settle %d s, idle %d s\n", bench.display().c_str(),
                o.runs, o.settleSeconds, o.idleSeconds);
    // One start of each, not counted, so that all find their files in the page cache.
    for (const Program* p : {&atLogin.bare, &atLogin.curl, &atLogin.quillon}) {
        timeToWindow(bench, watch, *p);
    }

    std::vector<Start> bareStarts;
    std::vector<Start> curlStarts;
    std::vector<Start> quillonStarts;
    for (int i = 0; i < o.runs; ++i) {
        // Each run starts with another program, so that none always follows the same one's exit.
        const std::pair<const Program*, std::vector<Start>*> order[] = {
            {&atLogin.bare, &bareStarts},
            {&atLogin.curl, &curlStarts},
            {&atLogin.quillon, &quillonStarts}};
        for (int k = 0; k < 3; ++k) {
            const auto& [program, starts] = order[(i + k) % 3];
            starts->push_back(timeToWindow(bench, watch, *program));
        }
    }
    const auto column = [](const std::vector<Start>& starts, double Start::*field) {
        std::vector<double> values;
        for (const Start& s : starts) {
            values.push_back(s.*field);
        }
        return values;
    };
    printStarts("start to first window mapped", column(bareStarts, &Start::mapped),
                column(curlStarts, &Start::mapped), column(quillonStarts, &Start::mapped), true);
    printStarts("start to first drawing in it", column(bareStarts, &Start::painted),
                column(curlStarts, &Start::painted), column(quillonStarts, &Start::painted), false);

    if (o.startOnly) {
        return 0;
    }
    printMemory("memory at the first window (quillon: its login window)",
                memoryAfter(bench, watch, atLogin, std::chrono::seconds(o.settleSeconds)));
    const MemoryReading idle =
        memoryAfter(bench, watch, loggedIn, std::chrono::seconds(o.idleSeconds));
    char heading[128];
    std::snprintf(heading, sizeof heading,
                  "memory after %d s idle (quillon: logged in as demo, main window shown)",
                  o.idleSeconds);
    printMemory(heading, idle);
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    try {
        return run(parseOptions(argc, argv));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "startup_bench: %s\n", e.what());
        return 1;
    }
}
