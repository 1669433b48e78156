// Start-up benchmark: quillon beside a bare Qt dialog, measured the same way in one run.
//
//  start   time from starting the program to its window being mapped on the X display (the
//          goal's measure), and to the first drawing into it (when its content can be seen);
//          the median of --runs starts of each, the two programs taking turns so that the
//          machine's load falls on both alike;
//  memory  resident memory (VmRSS, and PSS) of both at their first window after --settle
//          seconds, and of quillon logged in automatically as demo/demo against corvane-sim
//          (its main window shown) beside the bare dialog, both after --idle seconds.
//
// A plain program rather than a Google Benchmark: every sample is a whole process started and
// ended from outside, the result wanted is a ratio between two programs against a goal, and
// their samples must interleave; the library's in-process timing loop fits none of that.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "BenchEnvironment.h"
#include "ChildProcess.h"
#include "ProcessMemory.h"
#include "WindowWatch.h"

namespace {

using namespace std::chrono_literals;
using Clock = WindowWatch::Clock;

constexpr double kStartGoal = 1.5;
// Resident memory beside the bare dialog: at the login window, and logged in after the idle time
// (the main window, its grid and the service's first replies add to the login window's share).
constexpr double kLoginMemoryGoal = 1.25;
constexpr double kIdleMemoryGoal = 1.6;
const std::string kBareTitle = "Bare dialog";
const std::string kLoginTitle = "Login  version ";
const std::string kMainTitle = "Corvane Dynamic DNS version ";

struct Options {
    int runs = 9;
    int idleSeconds = 60;
    int settleSeconds = 2;
    bool startOnly = false;
    std::string binDir;
};

[[noreturn]] void usage(const char* program) {
    std::fprintf(
        stderr,
        "usage: %s [--runs N] [--idle SECONDS] [--settle SECONDS] [--bin DIR] [--start-only]\n"
        "  --runs    starts of each program for the start-up median (9)\n"
        "  --idle    idle time after the automatic login before memory is read (60)\n"
        "  --settle  time after the first window before memory is read (2)\n"
        "  --bin     folder of quillon, corvane-sim, hivekit-reg, startup_bare_dialog\n"
        "            (the benchmark's own folder)\n"
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

struct MemoryPair {
    ProcessMemory bare;
    ProcessMemory quillon;
};

// Starts both programs together, waits for their windows and `wait`, and reads their memory.
MemoryPair memoryAfter(BenchEnvironment& bench, WindowWatch& watch, const Program& bare,
                       const Program& quillon, std::chrono::seconds wait) {
    watch.drain();
    ChildProcess b(bare.path, bare.args, bare.env, bench.path(bare.label + ".log"));
    if (!watch.waitForMapped(bare.title, Clock::now() + 30s).has_value()) {
        throw std::runtime_error("the bare dialog did not show");
    }
    ChildProcess q(quillon.path, quillon.args, quillon.env, bench.path(quillon.label + ".log"));
    if (!watch.waitForMapped(quillon.title, Clock::now() + 60s).has_value()) {
        throw std::runtime_error("quillon showed no window \"" + quillon.title + "\"");
    }
    std::this_thread::sleep_for(wait);
    if (!b.running() || !q.running()) {
        throw std::runtime_error("a program ended while idle");
    }
    return {readProcessMemory(b.pid()), readProcessMemory(q.pid())};
}

const char* verdict(double ratio, double goal) {
    return ratio <= goal ? "met" : "MISSED";
}

// One table of start times: both programs' median, least and most, and their ratios.
void printStarts(const char* heading, const std::vector<double>& bare,
                 const std::vector<double>& quillon, bool withGoal) {
    const auto low = [](const std::vector<double>& v) {
        return *std::min_element(v.begin(), v.end());
    };
    const auto high = [](const std::vector<double>& v) {
        return *std::max_element(v.begin(), v.end());
    };
    std::printf("\n%s (ms)\n", heading);
    std::printf("  %-10s %10s %10s %10s\n", "", "median", "min", "max");
    std::printf("  %-10s %10.1f %10.1f %10.1f\n", "bare", median(bare), low(bare), high(bare));
    std::printf("  %-10s %10.1f %10.1f %10.1f   (login window)\n", "quillon", median(quillon),
                low(quillon), high(quillon));
    const double ratio = median(quillon) / median(bare);
    if (withGoal) {
        std::printf("  ratio %.2f (goal <= %.2f: %s)\n", ratio, kStartGoal,
                    verdict(ratio, kStartGoal));
    } else {
        std::printf("  ratio %.2f\n", ratio);
    }
    // Each run's two starts follow one another, so their ratio sees the same load on the
    // machine; the median of those ratios is the steadier figure where the load changes.
    std::vector<double> paired;
    for (size_t i = 0; i < bare.size(); ++i) {
        paired.push_back(quillon[i] / bare[i]);
    }
    std::printf("  median of the runs' own ratios %.2f\n", median(paired));
}

void printMemory(const char* heading, const MemoryPair& m, double goal) {
    std::printf("\n%s\n", heading);
    std::printf("  %-10s %10s %10s %10s %10s %10s\n", "KiB", "VmRSS", "RssAnon", "RssFile", "Pss",
                "Pss_Anon");
    for (const auto& [name, mem] : {std::pair{"bare", m.bare}, std::pair{"quillon", m.quillon}}) {
        std::printf("  %-10s %10ld %10ld %10ld %10ld %10ld\n", name, mem.rss, mem.rssAnon,
                    mem.rssFile, mem.pss, mem.pssAnon);
    }
    const double rss = static_cast<double>(m.quillon.rss) / static_cast<double>(m.bare.rss);
    std::printf("  ratio VmRSS %.2f (goal <= %.2f: %s)", rss, goal, verdict(rss, goal));
    if (m.bare.pss > 0 && m.quillon.pss > 0) {
        const double pss = static_cast<double>(m.quillon.pss) / static_cast<double>(m.bare.pss);
        std::printf(", ratio Pss %.2f", pss);
    }
    std::printf("\n");
}

int run(const Options& o) {
    BenchEnvironment bench(o.binDir);
    WindowWatch watch(bench.display());
    const Program bare{"bare",
                       bench.program("startup_bare_dialog"),
                       {kBareTitle},
                       bench.programEnvironment(bench.path("unused.db")),
                       kBareTitle};
    const Program atLogin{"quillon-login",
                          bench.program("quillon"),
                          {},
                          bench.programEnvironment(bench.makeStore("login.db", false)),
                          kLoginTitle};
    const Program loggedIn{"quillon-auto",
                           bench.program("quillon"),
                           {},
                           bench.programEnvironment(bench.makeStore("auto.db", true)),
                           kMainTitle};

    std::printf("display %s, %d runs each, settle %d s, idle %d s\n", bench.display().c_str(),
                o.runs, o.settleSeconds, o.idleSeconds);
    // One start of each, not counted, so that both find their files in the page cache.
    timeToWindow(bench, watch, bare);
    timeToWindow(bench, watch, atLogin);

    std::vector<Start> bareStarts;
    std::vector<Start> quillonStarts;
    for (int i = 0; i < o.runs; ++i) {
        // Alternate which goes first so that neither always follows the other's exit.
        if (i % 2 == 0) {
            bareStarts.push_back(timeToWindow(bench, watch, bare));
            quillonStarts.push_back(timeToWindow(bench, watch, atLogin));
        } else {
            quillonStarts.push_back(timeToWindow(bench, watch, atLogin));
            bareStarts.push_back(timeToWindow(bench, watch, bare));
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
                column(quillonStarts, &Start::mapped), true);
    printStarts("start to first drawing in it", column(bareStarts, &Start::painted),
                column(quillonStarts, &Start::painted), false);

    if (o.startOnly) {
        return 0;
    }
    const MemoryPair atWindow =
        memoryAfter(bench, watch, bare, atLogin, std::chrono::seconds(o.settleSeconds));
    printMemory("memory at the first window (quillon: its login window)", atWindow,
                kLoginMemoryGoal);
    const MemoryPair idle =
        memoryAfter(bench, watch, bare, loggedIn, std::chrono::seconds(o.idleSeconds));
    char heading[128];
    std::snprintf(heading, sizeof heading,
                  "memory after %d s idle (quillon: logged in as demo, main window shown)",
                  o.idleSeconds);
    printMemory(heading, idle, kIdleMemoryGoal);
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
