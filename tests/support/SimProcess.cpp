#include "support/SimProcess.h"

#include <curl/curl.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QRegularExpression>
#include <QUrl>
#include <QtGlobal>

namespace quillon::test {

namespace {

size_t appendBody(char* data, size_t size, size_t count, void* target) {
    static_cast<QByteArray*>(target)->append(data, static_cast<qsizetype>(size * count));
    return size * count;
}

QString certDir() {
#ifdef QUILLON_SIM_CERT_DIR
    return QStringLiteral(QUILLON_SIM_CERT_DIR);
#else
    return QDir(qEnvironmentVariable("QUILLON_BIN_DIR")).filePath(QStringLiteral("../certs"));
#endif
}

QString encoded(const QString& value) {
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

}  // namespace

HttpResult httpGet(const QString& url, const QString& caFile, int timeoutMs) {
    HttpResult result;
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        result.error = QStringLiteral("curl_easy_init failed");
        return result;
    }
    const QByteArray urlBytes = url.toUtf8();
    const QByteArray caBytes = caFile.toUtf8();
    char errorText[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_URL, urlBytes.constData());
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(timeoutMs));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &result.body);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    if (!caFile.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_CAINFO, caBytes.constData());
        curl_easy_setopt(curl, CURLOPT_CAPATH, nullptr);
    }
    const CURLcode code = curl_easy_perform(curl);
    if (code == CURLE_OK) {
        result.ok = true;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.status);
    } else {
        result.error =
            QString::fromUtf8(errorText[0] != '\0' ? errorText : curl_easy_strerror(code));
    }
    curl_easy_cleanup(curl);
    return result;
}

SimProcess::SimProcess() : SimProcess(Options{}) {}

SimProcess::SimProcess(Options options) {
    start(options);
}

SimProcess::~SimProcess() {
    if (process_ && process_->state() != QProcess::NotRunning) {
        process_->terminate();
        if (!process_->waitForFinished(10000)) {
            process_->kill();
            process_->waitForFinished(5000);
        }
    }
}

void SimProcess::start(Options options) {
    const QString binDir = qEnvironmentVariable("QUILLON_BIN_DIR");
    const QString program = QDir(binDir).filePath(QStringLiteral("corvane-sim"));
    if (binDir.isEmpty() || !QFileInfo(program).isExecutable()) {
        error_ = QStringLiteral("corvane-sim not found (QUILLON_BIN_DIR=%1)").arg(binDir);
        return;
    }
    dir_ = std::make_unique<QTemporaryDir>();
    if (!dir_->isValid()) {
        error_ = QStringLiteral("cannot create a temporary folder");
        return;
    }
    QStringList args{QStringLiteral("--db"), dbPath(), QStringLiteral("--http"),
                     QStringLiteral("127.0.0.1:0")};
    if (options.https) {
        args << QStringLiteral("--https") << QStringLiteral("127.0.0.1:0")
             << QStringLiteral("--cert") << trustedCertPath() << QStringLiteral("--key")
             << QDir(certDir()).filePath(QStringLiteral("sim-key.pem"));
    }
    if (options.seedDemo) {
        args << QStringLiteral("--seed-demo");
    }
    process_ = std::make_unique<QProcess>();
    process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_->start(program, args);
    if (!process_->waitForStarted(10000)) {
        error_ = QStringLiteral("corvane-sim did not start: %1").arg(process_->errorString());
        return;
    }
    static const QRegularExpression line(
        QStringLiteral("^corvane-sim: listening on (https?)://([0-9.]+:[0-9]+)$"));
    const int wanted = options.https ? 2 : 1;
    int found = 0;
    QDeadlineTimer deadline(15000);
    while (found < wanted && !deadline.hasExpired()) {
        if (!process_->canReadLine() &&
            !process_->waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            break;
        }
        while (process_->canReadLine()) {
            const auto match = line.match(QString::fromUtf8(process_->readLine()).trimmed());
            if (match.hasMatch()) {
                (match.captured(1) == QLatin1String("https") ? httpsHostPort_ : httpHostPort_) =
                    match.captured(2);
                ++found;
            }
        }
    }
    if (found < wanted) {
        error_ = QStringLiteral("corvane-sim did not report its listeners (state %1, exit %2)")
                     .arg(process_->state())
                     .arg(process_->exitCode());
        httpHostPort_.clear();
        httpsHostPort_.clear();
    }
}

bool SimProcess::started() const {
    return error_.isEmpty() && process_ && process_->state() == QProcess::Running;
}

QString SimProcess::error() const {
    return error_;
}

QString SimProcess::httpHostPort() const {
    return httpHostPort_;
}

QString SimProcess::httpsHostPort() const {
    return httpsHostPort_;
}

QString SimProcess::trustedCertPath() {
    return QDir(certDir()).filePath(QStringLiteral("sim-cert.pem"));
}

QString SimProcess::untrustedCertPath() {
    return QDir(certDir()).filePath(QStringLiteral("other-cert.pem"));
}

QString SimProcess::dbPath() const {
    return dir_ ? dir_->filePath(QStringLiteral("corvane-sim.db")) : QString();
}

qint64 SimProcess::processId() const {
    return process_ ? process_->processId() : 0;
}

bool SimProcess::control(const QString& pathAndQuery) const {
    if (httpHostPort_.isEmpty()) {
        return false;
    }
    const HttpResult result = httpGet(QStringLiteral("http://") + httpHostPort_ + pathAndQuery);
    if (!result.ok || result.status != 200) {
        // The control calls return nothing; a test that relied on one fails on its own
        // checks, and this line says why.
        qWarning("SimProcess: control call %s failed: %s (status %ld)", qPrintable(pathAndQuery),
                 qPrintable(result.error), result.status);
        return false;
    }
    return true;
}

QStringList SimProcess::requestLog() const {
    if (httpHostPort_.isEmpty()) {
        return {};
    }
    const HttpResult result =
        httpGet(QStringLiteral("http://") + httpHostPort_ + QStringLiteral("/_sim/log"));
    if (!result.ok || result.status != 200) {
        return {};
    }
    return QString::fromUtf8(result.body).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void SimProcess::clearLog() {
    control(QStringLiteral("/_sim/log/clear"));
}

void SimProcess::setAddress(const QString& user, const QString& ip) {
    control(QStringLiteral("/_sim/address?user=%1&ip=%2").arg(encoded(user), encoded(ip)));
}

void SimProcess::injectFault(Fault kind, int count, int param) {
    QString name;
    switch (kind) {
        case Fault::Delay:
            name = QStringLiteral("delay");
            break;
        case Fault::Drop:
            name = QStringLiteral("drop");
            break;
        case Fault::Garbage:
            name = QStringLiteral("garbage");
            break;
        case Fault::Status:
            name = QStringLiteral("status");
            break;
    }
    control(
        QStringLiteral("/_sim/fault?kind=%1&count=%2&param=%3").arg(name).arg(count).arg(param));
}

void SimProcess::injectErrorStatus(int count, int status, const QString& error) {
    control(QStringLiteral("/_sim/fault?kind=status&count=%1&param=%2&error=%3")
                .arg(count)
                .arg(status)
                .arg(QString::fromLatin1(QUrl::toPercentEncoding(error))));
}

void SimProcess::clearFaults() {
    control(QStringLiteral("/_sim/faults/clear"));
}

QString SimProcess::get(const QString& pathAndQuery, bool secure) const {
    const QString hostPort = secure ? httpsHostPort_ : httpHostPort_;
    if (hostPort.isEmpty()) {
        return {};
    }
    const HttpResult result =
        secure ? httpGet(QStringLiteral("https://") + hostPort + pathAndQuery, trustedCertPath())
               : httpGet(QStringLiteral("http://") + hostPort + pathAndQuery);
    return result.ok ? QString::fromUtf8(result.body) : QString();
}

}  // namespace quillon::test
