// corvane-sim as a program: over HTTP and HTTPS, its request log, its faults, its command
// line and its stop.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <thread>

#include "support/SimProcess.h"
#include "support/Wait.h"

using quillon::test::httpGet;
using quillon::test::SimProcess;
using quillon::test::waitUntil;

namespace {

QString simProgram() {
    return QDir(qEnvironmentVariable("QUILLON_BIN_DIR")).filePath("corvane-sim");
}

// Runs corvane-sim with the arguments until it exits; its exit code and error output.
struct Finished {
    bool exited = false;
    int code = -1;
    QString errors;
};
Finished runToExit(const QStringList& args) {
    QProcess p;
    p.start(simProgram(), args);
    Finished f;
    f.exited = p.waitForFinished(15000) && p.exitStatus() == QProcess::NormalExit;
    f.code = p.exitCode();
    f.errors = QString::fromUtf8(p.readAllStandardError());
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished();
    }
    return f;
}

const QString kLogin = "/dnslogin3.asp?fxn=login&usr=demo&pwd=demo";

}  // namespace

TEST(SimWire, LogHoldsTheQueryStringsExactlyAsSent) {
    SimProcess sim;
    ASSERT_TRUE(sim.started()) << sim.error().toStdString();
    const QStringList sent = {
        kLogin,
        "/dnslogin3.asp?FXN=GetIPAddress&Usr=demo",
        "/dnslogin3.asp?FXN=DNSTickler&Usr=demo&Pwd=demo&Cname=@&Domain=demo-lab.example"
        "&DNSCommand=RECORDADD&RecordType=MX%201&IPAddress=mx.demo-lab.example",
        "/dnslogin3.asp?FXN=DNSTicklerAdvanced&Usr=free&Pwd=free&Cname=www.free"
        "&Domain=free.corvane.example&DNSCommand=RECORDADD&RecordType=CNAME"
        "&IPAddress=free.free.corvane.example",
        "/dnslogin3.asp?fXn=LoGiN&USR=d%65mo&PwD=demo",
    };
    for (const auto& s : sent) {
        EXPECT_FALSE(sim.get(s).isEmpty()) << s.toStdString();
    }
    sim.setAddress("demo", "203.0.113.9");  // control calls are not logged
    EXPECT_EQ(sim.requestLog(), sent);
    sim.clearLog();
    EXPECT_TRUE(sim.requestLog().isEmpty());
    EXPECT_TRUE(sim.get("/help").contains("<html"));  // pages are not logged either
    EXPECT_TRUE(sim.requestLog().isEmpty());
}

TEST(SimWire, RequestsAnswerOverTheWire) {
    SimProcess sim;
    ASSERT_TRUE(sim.started()) << sim.error().toStdString();
    EXPECT_TRUE(sim.get(kLogin).contains("<p>DNS LOGIN:SUCCESS</p>"));
    // Mixed-case keys and a percent-encoded user name reach the same account.
    EXPECT_TRUE(
        sim.get("/dnslogin3.asp?fxn=login&USR=%64emo&pwd=demo").contains("DNS LOGIN:SUCCESS"));
    EXPECT_TRUE(
        sim.get("/dnslogin3.asp?fxn=login&usr=demo&pwd=x").contains("<p>DNS LOGIN:FAIL</p>"));
    EXPECT_TRUE(
        sim.get("/dnslogin3.asp?FXN=GetIPAddress&Usr=demo").contains("<p>IPAddress:192.0.2.1</p>"));
    sim.setAddress("demo", "203.0.113.9");
    EXPECT_TRUE(sim.get("/dnslogin3.asp?FXN=GetIPAddress&Usr=demo")
                    .contains("<p>IPAddress:203.0.113.9</p>"));
    const QString added = sim.get(
        "/dnslogin3.asp?FXN=DNSTickler&Usr=demo&Pwd=demo&Cname=cam2&Domain=demo-lab.example"
        "&DNSCommand=RECORDADD&RecordType=PORT%20RELAY&IPAddress=HTTP://10.0.0.2:8080/a%20b");
    EXPECT_TRUE(added.contains("SUCCESS"));
    EXPECT_TRUE(added.contains("~~demo-lab.example;;PORT RELAY;;cam2;;HTTP://10.0.0.2:8080/a b"))
        << added.toStdString();
}

TEST(SimWire, PagesAreServed) {
    SimProcess sim;
    ASSERT_TRUE(sim.started()) << sim.error().toStdString();
    for (const char* path :
         {"/help", "/services.asp", "/v.1.3/support.asp", "/v.1.6/login.asp", "/tos.asp"}) {
        const auto r = httpGet("http://" + sim.httpHostPort() + path);
        EXPECT_EQ(r.status, 200) << path;
        EXPECT_TRUE(r.body.contains("<title>Corvane")) << path;
    }
    EXPECT_EQ(httpGet("http://" + sim.httpHostPort() + "/nothing.asp").status, 404);
}

TEST(SimWire, FaultsApplyToTheNextRequestsInOrder) {
    SimProcess sim;
    ASSERT_TRUE(sim.started()) << sim.error().toStdString();
    const QString url = "http://" + sim.httpHostPort() + kLogin;

    sim.injectFault(SimProcess::Fault::Status, 2, 503);
    sim.injectFault(SimProcess::Fault::Garbage, 1);
    for (int i = 0; i < 2; ++i) {
        const auto r = httpGet(url);
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(r.status, 503);
        EXPECT_FALSE(r.body.contains("DNS LOGIN:"));
    }
    const auto garbage = httpGet(url);
    EXPECT_EQ(garbage.status, 200);
    EXPECT_FALSE(garbage.body.isEmpty());
    for (const char* marker : {"<", "</p", "SUCCESS", "DNS LOGIN:", "Error:", "IPAddress:"}) {
        EXPECT_FALSE(garbage.body.contains(marker)) << marker;
    }
    EXPECT_TRUE(httpGet(url).body.contains("DNS LOGIN:SUCCESS"));  // faults used up

    sim.injectFault(SimProcess::Fault::Drop, 1);
    const auto dropped = httpGet(url);
    EXPECT_FALSE(dropped.ok);
    EXPECT_TRUE(dropped.body.isEmpty());
    EXPECT_TRUE(httpGet(url).body.contains("DNS LOGIN:SUCCESS"));

    sim.injectFault(SimProcess::Fault::Garbage, 5);
    sim.clearFaults();
    EXPECT_TRUE(httpGet(url).body.contains("DNS LOGIN:SUCCESS"));
    // Every request was logged, the faulted ones included.
    EXPECT_EQ(sim.requestLog().size(), 7);
}

TEST(SimWire, DelayOutlastsAShortTimeOutThenAnswersNormally) {
    SimProcess sim;
    ASSERT_TRUE(sim.started()) << sim.error().toStdString();
    const QString url = "http://" + sim.httpHostPort() + kLogin;
    // A client that gives up before the delay ends sees a failed transfer ...
    sim.injectFault(SimProcess::Fault::Delay, 1, 4000);
    EXPECT_FALSE(httpGet(url, QString(), 300).ok);
    // ... and one that waits gets the normal reply.
    sim.injectFault(SimProcess::Fault::Delay, 1, 200);
    const auto late = httpGet(url, QString(), 20000);
    EXPECT_TRUE(late.ok);
    EXPECT_TRUE(late.body.contains("DNS LOGIN:SUCCESS"));
}

TEST(SimWire, ControlEndpointsRejectBadArguments) {
    SimProcess sim;
    ASSERT_TRUE(sim.started()) << sim.error().toStdString();
    const QString base = "http://" + sim.httpHostPort();
    for (const char* bad : {"/_sim/fault?kind=explode", "/_sim/fault?kind=status&param=200",
                            "/_sim/fault?kind=drop&count=0", "/_sim/fault?kind=delay&param=x",
                            "/_sim/address?ip=1.2.3.4"}) {
        EXPECT_EQ(httpGet(base + bad).status, 400) << bad;
    }
    EXPECT_TRUE(httpGet(base + kLogin).body.contains("DNS LOGIN:SUCCESS"));  // nothing queued
}

TEST(SimWire, HttpsWithTheTrustedCertificateOnlyAndBothPaths) {
    SimProcess sim(SimProcess::Options{true, true});
    ASSERT_TRUE(sim.started()) << sim.error().toStdString();
    ASSERT_FALSE(sim.httpsHostPort().isEmpty());
    const QString secure = "/autoupdate/dnslogin3.asp?fxn=login&usr=demo&pwd=demo";
    EXPECT_TRUE(sim.get(secure, true).contains("DNS LOGIN:SUCCESS"));
    const auto viaLocalhost =
        httpGet("https://localhost:" + sim.httpsHostPort().section(':', 1) + secure,
                SimProcess::trustedCertPath());
    EXPECT_TRUE(viaLocalhost.body.contains("DNS LOGIN:SUCCESS"))
        << viaLocalhost.error.toStdString();
    const auto untrusted =
        httpGet("https://" + sim.httpsHostPort() + secure, SimProcess::untrustedCertPath());
    EXPECT_FALSE(untrusted.ok);
    EXPECT_TRUE(sim.get(kLogin).contains("DNS LOGIN:SUCCESS"));  // the plain listener runs too
    EXPECT_EQ(sim.requestLog(), (QStringList{secure, secure, kLogin}));
}

TEST(SimWire, StopsCleanlyOnSigtermAndSigint) {
    for (const int sig : {SIGTERM, SIGINT}) {
        QTemporaryDir dir;
        QProcess p;
        p.start(simProgram(), {"--db", dir.filePath("s.db"), "--http", "127.0.0.1:0"});
        ASSERT_TRUE(p.waitForStarted());
        ASSERT_TRUE(p.waitForReadyRead(10000));
        const QString line = QString::fromUtf8(p.readLine()).trimmed();
        EXPECT_TRUE(line.startsWith("corvane-sim: listening on http://127.0.0.1:"))
            << line.toStdString();
        // A request that is being delayed does not hold up the stop.
        const QString base = "http://" + line.section("http://", 1);
        ASSERT_EQ(httpGet(base + "/_sim/fault?kind=delay&param=60000").status, 200);
        std::thread waiting([&] { httpGet(base + "/dnslogin3.asp?fxn=login", QString(), 30000); });
        EXPECT_TRUE(
            waitUntil([&] { return httpGet(base + "/_sim/log").body.contains("fxn=login"); }));
        ::kill(static_cast<pid_t>(p.processId()), sig);
        ASSERT_TRUE(p.waitForFinished(10000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0);
        waiting.join();
    }
}

TEST(SimWire, CommandLineRefusesNonLoopbackAndBadArguments) {
    QTemporaryDir dir;
    const QString db = dir.filePath("s.db");
    for (const QString& addr :
         {QString("0.0.0.0:0"), QString("192.0.2.1:8080"), QString("[::]:0")}) {
        const auto f = runToExit({"--db", db, "--http", addr});
        EXPECT_TRUE(f.exited);
        EXPECT_NE(f.code, 0) << addr.toStdString();
        EXPECT_TRUE(f.errors.contains("only loopback")) << f.errors.toStdString();
    }
    const auto https =
        runToExit({"--db", db, "--https", "10.1.2.3:0", "--cert", "c", "--key", "k"});
    EXPECT_NE(https.code, 0);
    EXPECT_TRUE(https.errors.contains("only loopback"));
    EXPECT_NE(runToExit({"--http", "127.0.0.1:0"}).code, 0);  // no --db
    const auto badCert = runToExit({"--db", db, "--https", "127.0.0.1:0", "--cert",
                                    dir.filePath("missing.pem"), "--key", dir.filePath("k.pem")});
    EXPECT_NE(badCert.code, 0);
    EXPECT_TRUE(badCert.errors.contains("certificate")) << badCert.errors.toStdString();
}

// A second sim on a port that one already holds must not share it: the two would each get some
// of the connections, and a client could not tell which one answered.
TEST(SimWire, APortInUseIsRefused) {
    SimProcess sim;
    ASSERT_TRUE(sim.started()) << sim.error().toStdString();
    QTemporaryDir dir;
    const auto second = runToExit({"--db", dir.filePath("s.db"), "--http", sim.httpHostPort()});
    EXPECT_TRUE(second.exited);
    EXPECT_NE(second.code, 0);
    EXPECT_TRUE(second.errors.contains("cannot listen on " + sim.httpHostPort()))
        << second.errors.toStdString();
    EXPECT_TRUE(sim.get(kLogin).contains("DNS LOGIN:SUCCESS"));
}

TEST(SimWire, RestartWithSeedKeepsOneSetOfDemoData) {
    QTemporaryDir dir;
    const QString db = dir.filePath("s.db");
    QString firstList;
    for (int run = 0; run < 2; ++run) {
        QProcess p;
        p.start(simProgram(), {"--db", db, "--http", "127.0.0.1:0", "--seed-demo"});
        ASSERT_TRUE(p.waitForReadyRead(10000));
        const QString hostPort = QString::fromUtf8(p.readLine()).trimmed().section("http://", 1);
        const auto r = httpGet("http://" + hostPort + "/dnslogin3.asp?FXN=GetIPAddress&Usr=demo");
        ASSERT_TRUE(r.body.contains("SUCCESS"));
        if (run == 0) {
            firstList = QString::fromUtf8(r.body);
        } else {
            EXPECT_EQ(QString::fromUtf8(r.body), firstList);
        }
        p.terminate();
        ASSERT_TRUE(p.waitForFinished(10000));
    }
    EXPECT_EQ(firstList.count("demo-home.example;;A;;www;;"), 1);
}
