// A long run of the update cycle: the logged-in main window against corvane-sim for many
// checks, reading the process's resident memory and open file descriptors after the first
// stretch of checks and at the end. A client that runs for months must not grow.
//
// The window is the real one (offscreen platform, its own settings store), logged in
// automatically as demo/demo with five records marked for automatic IP: four A records and a
// port relay. Its update timer's handler is driven from the event loop as fast as the checks
// go, with the clock seam moving ten seconds at each tick instead of real time passing; the
// refresh rate 30 makes every second tick a check. Every --change-every-th check finds a new
// address (the sim reports the other of two), so the five records are re-pointed: ten
// DNSTickler requests. The sim's request log tells at the end whether every request was sent.
//
// A plain program rather than a Google Benchmark: the result is the growth between two points
// of one long run, not the time of a repeated step.
//
// Run from the build: bin/longrun_bench [--checks N] [--change-every K] [--first N] [--https]

#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "diagnostics/LogFolder.h"
#include "main/frmMain.h"
#include "protocol/basDNS.h"
#include "registry/Registry.h"
#include "resources/Resources.h"
#include "support/Seams.h"
#include "support/SimProcess.h"

namespace {

using namespace quillon;
using quillon::test::SimProcess;

constexpr long kGrowthGoalKiB = 1024;
const QString kUser = QStringLiteral("demo");
const QString kDomain = QStringLiteral("demo-lab.example");
const QString kFirstAddress = QStringLiteral("192.0.2.10");
const QString kSecondAddress = QStringLiteral("198.51.100.20");
const QString kRelayName = QStringLiteral("relay5");
const QStringList kHostNames = {QStringLiteral("host1"), QStringLiteral("host2"),
                                QStringLiteral("host3"), QStringLiteral("host4")};
constexpr int kMarkedRecords = 5;

struct Options {
    int checks = 10000;
    int changeEvery = 5;
    int first = 1000;
    bool https = false;
};

[[noreturn]] void usage(const char* program) {
    std::fprintf(stderr,
                 "usage: %s [--checks N] [--change-every K] [--first N] [--https]\n"
                 "  --checks        IP checks in the whole run (10000)\n"
                 "  --change-every  every K-th check finds a new address (5)\n"
                 "  --first         checks before the first reading (1000)\n"
                 "  --https         the secure service address instead of plain HTTP\n",
                 program);
    std::exit(2);
}

Options parseOptions(int argc, char* argv[]) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--https") {
            o.https = true;
            continue;
        }
        if (i + 1 >= argc) {
            usage(argv[0]);
        }
        const int value = std::atoi(argv[++i]);
        if (value < 1) {
            usage(argv[0]);
        }
        if (arg == "--checks") {
            o.checks = value;
        } else if (arg == "--change-every") {
            o.changeEvery = value;
        } else if (arg == "--first") {
            o.first = value;
        } else {
            usage(argv[0]);
        }
    }
    if (o.first > o.checks) {
        o.first = o.checks;
    }
    return o;
}

// What the process holds at one moment.
struct Reading {
    int checks = 0;
    double seconds = 0;
    long rssKiB = -1;
    long rssAnonKiB = -1;
    long heapInUseKiB = -1;  // the allocator's bytes handed out and not freed
    long fds = -1;
    std::vector<std::string> descriptors;
    std::vector<std::string> threads;
};

long statusField(const std::string& name) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(name + ":", 0) == 0) {
            return std::stol(line.substr(name.size() + 1));
        }
    }
    return -1;
}

// The open descriptors and what each one is ("socket:[123]", a path, ...), less the one the
// listing itself holds open.
std::vector<std::string> openDescriptors() {
    const std::string listing = "/proc/" + std::to_string(getpid()) + "/fd";
    std::vector<std::string> found;
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator("/proc/self/fd", error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::error_code linkError;
        const std::filesystem::path target = std::filesystem::read_symlink(it->path(), linkError);
        if (!linkError && target.string() != listing) {
            found.push_back(it->path().filename().string() + " " + target.string());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

// The process's threads by name.
std::vector<std::string> threadNames() {
    std::vector<std::string> names;
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator("/proc/self/task", error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::ifstream in(it->path() / "comm");
        std::string name;
        std::getline(in, name);
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

Reading readNow(int checks, const QElapsedTimer& clock) {
    Reading r;
    r.checks = checks;
    r.seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    r.rssKiB = statusField("VmRSS");
    r.rssAnonKiB = statusField("RssAnon");
    r.heapInUseKiB = static_cast<long>(mallinfo2().uordblks / 1024);
    r.descriptors = openDescriptors();
    r.fds = static_cast<long>(r.descriptors.size());
    r.threads = threadNames();
    return r;
}

void printReading(const char* label, const Reading& r) {
    std::printf(
        "  %-6s %7d checks %8.1f s   VmRSS %7ld KiB   RssAnon %7ld KiB   "
        "heap in use %7ld KiB   fds %3ld\n",
        label, r.checks, r.seconds, r.rssKiB, r.rssAnonKiB, r.heapInUseKiB, r.fds);
    std::fflush(stdout);
}

void store(const QString& key, const QString& name, const QString& value) {
    Registry reg;
    reg.setKey(key);
    reg.setValue(name, value);
}

void storeDword(const QString& key, const QString& name, qint32 value) {
    Registry reg;
    reg.setKey(key);
    reg.setValue(name, value, Registry::RegDword);
}

// The five marked records, created in the sim at the first address, and the settings that
// point the window at the sim and log it in as demo with those records marked.
QString prepare(SimProcess& sim, const Options& o) {
    const auto add = [&sim](const QString& name, const QString& type, const QString& address) {
        const QString reply = sim.get(QStringLiteral("/dnslogin3.asp") +
                                      DNSTicklerQuery(kUser, kUser, name, kDomain,
                                                      QStringLiteral("RECORDADD"), type, address));
        return reply.contains(QLatin1String("SUCCESS"));
    };
    QString autoIPs;
    for (const QString& name : kHostNames) {
        if (!add(name, QStringLiteral("A"), kFirstAddress)) {
            return QStringLiteral("the sim refused the record ") + name;
        }
        autoIPs += AutoIPEntry(kDomain, QStringLiteral("A"), name, kFirstAddress);
    }
    const QString relay = QStringLiteral("http://") + kFirstAddress + QStringLiteral(":8080/cam");
    if (!add(kRelayName, QStringLiteral("PORT RELAY"), relay)) {
        return QStringLiteral("the sim refused the relay record");
    }
    autoIPs += AutoIPEntry(kDomain, QStringLiteral("PORT RELAY"), kRelayName, relay);
    sim.setAddress(kUser, kFirstAddress);

    const QString init = QStringLiteral("SOFTWARE\\Corvane\\Init");
    store(init, QStringLiteral("UpdateHost"), sim.httpHostPort());
    store(init, QStringLiteral("WebSite"), QStringLiteral("http://") + sim.httpHostPort());
    if (o.https) {
        store(init, QStringLiteral("SecureHost"), sim.httpsHostPort());
        store(init, QStringLiteral("TrustedCA"), SimProcess::trustedCertPath());
        storeDword(init, QStringLiteral("bSSL"), 1);
    } else {
        storeDword(init, QStringLiteral("bSSL"), 0);
    }
    storeDword(init, QStringLiteral("bSaveLogin"), 1);
    store(init, QStringLiteral("Username"), kUser);
    store(init, QStringLiteral("Password"), kUser);
    store(QStringLiteral("SOFTWARE\\Corvane\\") + kUser, QStringLiteral("AutoIPs"), autoIPs);
    return QString();
}

// How many of the five marked records the sim holds at `address`.
int recordsAt(const SimProcess& sim, const QString& address) {
    const QString records =
        GetReplyValue(sim.get(QStringLiteral("/dnslogin3.asp?fxn=login&usr=demo&pwd=demo")),
                      QStringLiteral("DomainUserRecords:"));
    int found = 0;
    for (const QString& name : kHostNames) {
        found += records.contains(kDomain + QStringLiteral(";;A;;") + name + QStringLiteral(";;") +
                                  address)
                     ? 1
                     : 0;
    }
    found += records.contains(kDomain + QStringLiteral(";;PORT RELAY;;") + kRelayName +
                              QStringLiteral(";;http://") + address + QStringLiteral(":8080/cam"))
                 ? 1
                 : 0;
    return found;
}

// Drives the window's update timer from the event loop until `checks` checks have run.
class Driver {
  public:
    // `lastCheck` and `status` are the window's "lblLastIPCheck" and "lblStatus" labels.
    Driver(frmMain& window, const QLabel& lastCheck, const QLabel& status, SimProcess& sim,
           test::FixedClock& clock, const Options& o)
        : window_(window),
          lastCheck_(lastCheck),
          status_(status),
          sim_(sim),
          clock_(clock),
          o_(o) {}

    int run() {
        uptime_.start();
        // A loop of its own: the application's quit would close the window, with its question.
        QEventLoop loop;
        QTimer pump;
        pump.setInterval(0);
        QObject::connect(&pump, &QTimer::timeout, [this, &pump, &loop] {
            if (!step()) {
                pump.stop();
                loop.quit();
            }
        });
        pump.start();
        loop.exec();
        return checks_;
    }

    Reading firstReading;
    Reading lastReading;
    int changes = 0;
    int disconnectedChecks = 0;

  private:
    // One tick; false once the run is over.
    bool step() {
        if (checks_ == o_.checks) {
            return false;
        }
        // The check that comes next finds the new address when its number says so.
        if ((checks_ + 1) % o_.changeEvery == 0 && !changeAsked_) {
            address_ = address_ == kFirstAddress ? kSecondAddress : kFirstAddress;
            sim_.setAddress(kUser, address_);
            changeAsked_ = true;
        }
        now_ = now_.addSecs(10);
        clock_.set(now_);
        const QString before = lastCheck_.text();
        window_.tmrAuto_Timer();
        window_.tmrTimes_Timer();
        if (lastCheck_.text() == before) {
            return true;  // a tick that only counted
        }
        ++checks_;
        if (changeAsked_) {
            ++changes;
            changeAsked_ = false;
        }
        if (status_.text() != QLatin1String("Connected")) {
            ++disconnectedChecks;
        }
        if (checks_ == o_.first) {
            firstReading = readNow(checks_, uptime_);
            printReading("first", firstReading);
        }
        if (checks_ == o_.checks) {
            lastReading = readNow(checks_, uptime_);
            printReading("end", lastReading);
        }
        return true;
    }

    frmMain& window_;
    const QLabel& lastCheck_;
    const QLabel& status_;
    SimProcess& sim_;
    test::FixedClock& clock_;
    const Options& o_;
    QElapsedTimer uptime_;
    QDateTime now_ = QDateTime(QDate(2026, 1, 5), QTime(8, 0, 0));
    QString address_ = kFirstAddress;
    bool changeAsked_ = false;
    int checks_ = 0;
};

std::string joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) {
        text += (text.empty() ? "" : ", ") + item;
    }
    return text;
}

const char* verdict(bool met) {
    return met ? "met" : "MISSED";
}

int run(const Options& o) {
    QTemporaryDir dir;
    qputenv("HIVEKIT_STORE", QFile::encodeName(dir.filePath(QStringLiteral("registry.db"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
    setProgramFolder(dir.path());
    // Every message box is answered at once and counted: none should come.
    test::ScriptedMessageBoxes messages;
    test::BeepCounter beeps;
    test::RecordingPageOpener pages;
    test::FixedClock clock(QDateTime(QDate(2026, 1, 5), QTime(8, 0, 0)));

    SimProcess sim(SimProcess::Options{o.https, true});
    if (!sim.started()) {
        std::fprintf(stderr, "longrun_bench: corvane-sim: %s\n", qPrintable(sim.error()));
        return 1;
    }
    if (const QString why = prepare(sim, o); !why.isEmpty()) {
        std::fprintf(stderr, "longrun_bench: %s\n", qPrintable(why));
        return 1;
    }

    auto window = std::make_unique<frmMain>();
    if (!window->Form_Load()) {
        std::fprintf(stderr, "longrun_bench: the window did not log in (%s)\n",
                     qPrintable(messages.texts().join(QStringLiteral(" | "))));
        return 1;
    }
    // The controls the run reads and sets, found by their names as the tests find them.
    auto* rates = window->findChild<QComboBox*>(QStringLiteral("cboRefreshRate"));
    auto* timer = window->findChild<QTimer*>(QStringLiteral("tmrAuto"));
    auto* lastCheck = window->findChild<QLabel*>(QStringLiteral("lblLastIPCheck"));
    auto* status = window->findChild<QLabel*>(QStringLiteral("lblStatus"));
    if (rates == nullptr || timer == nullptr || lastCheck == nullptr || status == nullptr) {
        std::fprintf(stderr, "longrun_bench: the window lacks a control the run needs\n");
        return 1;
    }
    // The shortest rate of the list (a stored rate below 60 loads as 60, so it is chosen here,
    // as in the Advanced frame).
    rates->setCurrentText(QStringLiteral("30"));
    if (rates->currentText() != QLatin1String("30")) {
        std::fprintf(stderr, "longrun_bench: the refresh rate is %s, not 30\n",
                     qPrintable(rates->currentText()));
        return 1;
    }
    // The handler is driven below; the window's own timer would add ticks of real time.
    timer->stop();
    sim.clearLog();
    const std::size_t boxesAtLogin = messages.shown().size();
    for (const QString& text : messages.texts()) {
        std::printf("message box at login: %s\n", qPrintable(text));
    }

    std::printf("%d checks over %s, every %d checks a new address re-pointing %d records\n",
                o.checks, o.https ? "HTTPS" : "HTTP", o.changeEvery, kMarkedRecords);
    Driver driver(*window, *lastCheck, *status, sim, clock, o);
    const int checks = driver.run();

    const QStringList log = sim.requestLog();
    const auto countOf = [&log](const char* what) {
        qsizetype n = 0;
        for (const QString& line : log) {
            n += line.contains(QLatin1String(what)) ? 1 : 0;
        }
        return n;
    };
    const qsizetype ipRequests = countOf("FXN=GetIPAddress");
    const qsizetype ticklers = countOf("FXN=DNSTickler");
    const int atLast = recordsAt(sim, driver.changes % 2 == 0 ? kFirstAddress : kSecondAddress);
    std::printf(
        "  sent %lld GetIPAddress, %lld DNSTickler (expected %d and %d); "
        "%d of %d records at the last address; %d checks not connected; "
        "%zu message boxes\n",
        static_cast<long long>(ipRequests), static_cast<long long>(ticklers), checks,
        driver.changes * 2 * kMarkedRecords, atLast, kMarkedRecords, driver.disconnectedChecks,
        messages.shown().size());

    const QStringList boxes = messages.texts();
    for (qsizetype i = static_cast<qsizetype>(boxesAtLogin); i < boxes.size() && i < 5; ++i) {
        std::printf("  message box: %s\n", qPrintable(boxes[i]));
    }
    const Reading& a = driver.firstReading;
    const Reading& b = driver.lastReading;
    const long growth = b.rssKiB - a.rssKiB;
    // Descriptors open at the end that were not open at the first reading. Fewer at the end is
    // no growth: the idle threads of Qt's thread pool end after half a minute, each with its
    // event descriptor, and the first reading may come before that.
    std::vector<std::string> opened;
    std::set_difference(b.descriptors.begin(), b.descriptors.end(), a.descriptors.begin(),
                        a.descriptors.end(), std::back_inserter(opened));
    std::printf(
        "  growth from check %d to %d: VmRSS %+ld KiB (goal < %ld KiB: %s), "
        "heap in use %+ld KiB, fds %+ld, %zu new (goal none new: %s)\n",
        a.checks, b.checks, growth, kGrowthGoalKiB, verdict(growth < kGrowthGoalKiB),
        b.heapInUseKiB - a.heapInUseKiB, b.fds - a.fds, opened.size(), verdict(opened.empty()));

    if (a.descriptors != b.descriptors || a.threads != b.threads) {
        std::printf("  after check %d: descriptors %s; threads %s\n", a.checks,
                    joined(a.descriptors).c_str(), joined(a.threads).c_str());
        std::printf("  at the end: descriptors %s; threads %s\n", joined(b.descriptors).c_str(),
                    joined(b.threads).c_str());
    }

    const bool workDone = checks == o.checks && ipRequests == checks &&
                          ticklers == driver.changes * 2 * kMarkedRecords &&
                          atLast == kMarkedRecords && driver.disconnectedChecks == 0 &&
                          messages.shown().size() == boxesAtLogin;
    if (!workDone) {
        std::fprintf(stderr, "longrun_bench: the run did not do all its work\n");
        return 1;
    }
    window.reset();
    setProgramFolder(QString());
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Loopback requests never go through a proxy named in the environment.
    qputenv("no_proxy", "127.0.0.1,localhost");
    qputenv("NO_PROXY", "127.0.0.1,localhost");
    const Options options = parseOptions(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    QApplication::setQuitOnLastWindowClosed(false);
    if (qEnvironmentVariableIsEmpty("QUILLON_BIN_DIR")) {
        qputenv("QUILLON_BIN_DIR", QCoreApplication::applicationDirPath().toLocal8Bit());
    }
    startDrawingArtwork();
    return run(options);
}
