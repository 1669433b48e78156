#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace quillon::test {

// Runs corvane-sim (from $QUILLON_BIN_DIR) for one test: on 127.0.0.1 with ephemeral ports
// and a database in a temporary folder; the constructor returns once the program has printed
// its listening lines. The destructor stops it with SIGTERM and waits.
//
// The control calls below use the sim's control endpoints (documented in full at the top of
// service/ControlEndpoints.h), always over plain HTTP:
//   requestLog()          GET /_sim/log
//   clearLog()            GET /_sim/log/clear
//   setAddress(u, ip)     GET /_sim/address?user=U&ip=IP   (empty ip: the caller's address again)
//   injectFault(k, n, p)  GET /_sim/fault?kind=delay|drop|garbage|status&count=N&param=P
//                         (P: milliseconds for Delay, the HTTP status for Status)
//   clearFaults()         GET /_sim/faults/clear
// Faults apply to the next N requests to the service paths /dnslogin3.asp and
// /autoupdate/dnslogin3.asp; the log holds those requests only, each as path + "?" + the
// query exactly as sent.
class SimProcess {
  public:
    struct Options {
        bool https = false;
        bool seedDemo = true;
    };

    SimProcess();
    explicit SimProcess(Options options);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // False (with a reason in error()) when it could not start.
    bool started() const;
    QString error() const;

    QString httpHostPort() const;   // "127.0.0.1:PORT"
    QString httpsHostPort() const;  // "127.0.0.1:PORT" when https was asked for

    static QString trustedCertPath();    // the certificate the client should trust (the sim's)
    static QString untrustedCertPath();  // another self-signed certificate for 127.0.0.1

    QStringList requestLog() const;  // received service request lines, oldest first
    void clearLog();
    void setAddress(const QString& user, const QString& ip);

    enum class Fault { Delay, Drop, Garbage, Status };
    void injectFault(Fault kind, int count, int param = 0);  // param: ms for Delay, code for Status
    // The next `count` service requests are answered with HTTP `status` and the service's own
    // reply carrying "Error:" + `error` (GET /_sim/fault?kind=status&param=S&error=E).
    void injectErrorStatus(int count, int status, const QString& error);
    void clearFaults();

    // Raw GET of a service path (e.g. "/dnslogin3.asp?fxn=login&usr=demo&pwd=demo"); the body,
    // or empty when the transfer failed. `secure` uses the HTTPS listener, trusting the sim's
    // certificate.
    QString get(const QString& pathAndQuery, bool secure = false) const;

    // The path of the sim's database file and the process id (for tests of the sim itself).
    QString dbPath() const;
    qint64 processId() const;

  private:
    void start(Options options);
    // A control call; true when the sim answered 200.
    bool control(const QString& pathAndQuery) const;

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<QProcess> process_;
    QString error_;
    QString httpHostPort_;
    QString httpsHostPort_;
};

// One blocking GET to a loopback URL with libcurl (no proxy, redirects not followed).
// `caFile`, when given, is the only certificate authority trusted for HTTPS.
struct HttpResult {
    bool ok = false;  // the transfer completed (any status)
    long status = 0;
    QByteArray body;
    QString error;  // libcurl's text when the transfer failed
};
HttpResult httpGet(const QString& url, const QString& caFile = QString(), int timeoutMs = 10000);

}  // namespace quillon::test
