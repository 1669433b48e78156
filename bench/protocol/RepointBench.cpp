// A re-point of 100 marked records over HTTPS against corvane-sim: 200 DNSTickler requests (the
// delete of the old address and the add of the new one for each record) through the real basDNS
// functions and the real transfer, beside the same 200 requests sent by the curl command, which
// keeps one connection for all the addresses of one invocation. Each round starts without a
// connection, as a re-point does after the refresh period's idle time, and flips the records
// between two addresses, so every round does the same work on the service.
//
// Run from the build: bin/repoint_bench (corvane-sim and the certificates are found beside it).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>

#include "account/clsUser.h"
#include "platform/Endpoints.h"
#include "protocol/CurlTransfer.h"
#include "protocol/basDNS.h"
#include "support/SimProcess.h"

namespace {

using namespace quillon;
using quillon::test::SimProcess;

constexpr int kRecords = 100;
const QString kDomain = QStringLiteral("demo-lab.example");
const QString kDelete = QStringLiteral("RECORDDELETE");
const QString kAdd = QStringLiteral("RECORDADD");

QString recordName(int i) {
    return QStringLiteral("r%1").arg(i, 3, 10, QLatin1Char('0'));
}

// The running sim, the account and its 100 marked records, and the two addresses they flip
// between.
struct Bench {
    SimProcess sim{SimProcess::Options{true, true}};
    QTemporaryDir dir;
    QString current = QStringLiteral("192.0.2.10");
    QString next = QStringLiteral("198.51.100.20");
    QString error;

    Bench() {
        if (!sim.started()) {
            error = sim.error();
            return;
        }
        endpoints().secureHost = sim.httpsHostPort();
        endpoints().trustedCA = SimProcess::trustedCertPath();
        sServiceURL = SecureServiceURL();
        objUser().sUsername = QStringLiteral("demo");
        objUser().sPassword = QStringLiteral("demo");
        CurlTransfer transfer;
        setServiceTransfer(&transfer);
        for (int i = 0; i < kRecords; ++i) {
            QString name = recordName(i);
            if (!DNSTickler(kDomain, name, kAdd, QStringLiteral("A"), current, false, 1)) {
                error = QStringLiteral("the marked records could not be created");
                break;
            }
        }
        unregisterServiceTransfer(&transfer);
    }

    void flip() { std::swap(current, next); }

    // The 200 addresses of one round as a curl configuration file; the replies go to the
    // command's standard output.
    QString curlConfig() const {
        const QString path = dir.filePath(QStringLiteral("round.curl"));
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        for (int i = 0; i < kRecords; ++i) {
            const QString name = recordName(i);
            for (const auto& [command, address] : {std::pair{kDelete, current}, {kAdd, next}}) {
                const QString url =
                    sServiceURL + DNSTicklerQuery(QStringLiteral("demo"), QStringLiteral("demo"),
                                                  name, kDomain, command, QStringLiteral("A"),
                                                  address);
                file.write(QStringLiteral("url = \"%1\"\n").arg(url).toUtf8());
            }
        }
        return path;
    }
};

Bench* bench = nullptr;

// Sends the 200 requests of one round through `transfer`; false when one failed.
bool repoint(CurlTransfer& transfer) {
    setServiceTransfer(&transfer);
    bool ok = true;
    for (int i = 0; i < kRecords; ++i) {
        QString name = recordName(i);
        ok &= DNSTickler(kDomain, name, kDelete, QStringLiteral("A"), bench->current, false, 1);
        ok &= DNSTickler(kDomain, name, kAdd, QStringLiteral("A"), bench->next, false, 1);
    }
    unregisterServiceTransfer(&transfer);
    bench->flip();
    return ok;
}

void countRequests(benchmark::State& state) {
    state.counters["requests"] = benchmark::Counter(
        2.0 * kRecords * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// The program's transfer lives as long as its login window, so its certificate store and its
// connection outlive one re-point (corvane-sim closes a connection after 100 requests, so each
// round opens one new TLS connection or two, as the curl command does).
void BM_RepointThroughBasDNS(benchmark::State& state) {
    if (!bench->error.isEmpty()) {
        state.SkipWithError(bench->error.toStdString().c_str());
        return;
    }
    CurlTransfer transfer;
    for (auto _ : state) {
        if (!repoint(transfer)) {
            state.SkipWithError("a request of the re-point failed");
            return;
        }
    }
    countRequests(state);
}
BENCHMARK(BM_RepointThroughBasDNS)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same with a new transfer for each round: the first request of a round also reads the
// system's certificate authorities and opens a new connection.
void BM_RepointThroughBasDNSNewTransfer(benchmark::State& state) {
    if (!bench->error.isEmpty()) {
        state.SkipWithError(bench->error.toStdString().c_str());
        return;
    }
    for (auto _ : state) {
        CurlTransfer transfer;
        if (!repoint(transfer)) {
            state.SkipWithError("a request of the re-point failed");
            return;
        }
    }
    countRequests(state);
}
BENCHMARK(BM_RepointThroughBasDNSNewTransfer)
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_RepointThroughCurlCommand(benchmark::State& state) {
    if (!bench->error.isEmpty()) {
        state.SkipWithError(bench->error.toStdString().c_str());
        return;
    }
    const QString replies = bench->dir.filePath(QStringLiteral("replies.txt"));
    for (auto _ : state) {
        state.PauseTiming();
        const QString config = bench->curlConfig();
        QProcess curl;
        curl.setStandardOutputFile(replies);
        state.ResumeTiming();
        curl.start(
            QStringLiteral("curl"),
            {QStringLiteral("--silent"), QStringLiteral("--show-error"), QStringLiteral("--cacert"),
             SimProcess::trustedCertPath(), QStringLiteral("--config"), config});
        const bool ran = curl.waitForFinished(120'000) && curl.exitCode() == 0;
        state.PauseTiming();
        QFile file(replies);
        file.open(QIODevice::ReadOnly);
        const qsizetype successes = file.readAll().count("SUCCESS");
        bench->flip();
        state.ResumeTiming();
        if (!ran || successes != 2 * kRecords) {
            state.SkipWithError("the curl command failed or a request was refused");
            return;
        }
    }
    countRequests(state);
}
BENCHMARK(BM_RepointThroughCurlCommand)
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("QUILLON_BIN_DIR")) {
        qputenv("QUILLON_BIN_DIR", QCoreApplication::applicationDirPath().toLocal8Bit());
    }
    // Loopback requests never go through a proxy named in the environment.
    qputenv("no_proxy", "127.0.0.1,localhost");
    qputenv("NO_PROXY", "127.0.0.1,localhost");
    benchmark::Initialize(&argc, argv);
    {
        Bench setup;
        bench = &setup;
        benchmark::RunSpecifiedBenchmarks();
        bench = nullptr;
    }
    benchmark::Shutdown();
    return 0;
}
