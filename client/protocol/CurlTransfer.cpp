#include "protocol/CurlTransfer.h"

#include <dlfcn.h>

#include <QFileInfo>
#include <QStringList>
#include <array>
#include <mutex>

#include "Version.h"
#include "platform/Endpoints.h"
#include "platform/ModuleLoader.h"
#include "protocol/CurlModule.h"
#include "protocol/RequestWait.h"

namespace quillon {

namespace {

const char* const kModuleFileName = "libquillon-curl.so";

// The transfer module's entry points, bound once at the first request; empty when the module
// cannot be loaded.
struct CurlModule {
    QuillonCurlOpenFn open = nullptr;
    QuillonCurlCloseFn close = nullptr;
    QuillonCurlGetFn get = nullptr;
    bool loaded() const { return open != nullptr && close != nullptr && get != nullptr; }
};

const CurlModule& curlModule() {
    static const CurlModule module = [] {
        CurlModule m;
        if (void* handle = OpenModule(kModuleFileName)) {
            m.open = reinterpret_cast<QuillonCurlOpenFn>(dlsym(handle, "quillon_curl_open"));
            m.close = reinterpret_cast<QuillonCurlCloseFn>(dlsym(handle, "quillon_curl_close"));
            m.get = reinterpret_cast<QuillonCurlGetFn>(dlsym(handle, "quillon_curl_get"));
        }
        return m;
    }();
    return module;
}

TransferReply failed(const QString& why) {
    return TransferReply{false, QString(), why};
}

// Everything one request needs, taken on the calling thread before the transfer starts.
struct Request {
    QByteArray url;
    QByteArray userAgent;
    QByteArray trustedCA;
    long connectTimeoutMs = 0;
    long totalTimeoutMs = 0;
    long long replyCapBytes = 0;
};

}  // namespace

// The module's connection, opened at the first request.
class CurlTransfer::Connection {
  public:
    Connection() = default;
    ~Connection() {
        if (connection_ != nullptr) {
            curlModule().close(connection_);
        }
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    TransferReply perform(const Request& request);

  private:
    std::mutex mutex_;
    void* connection_ = nullptr;  // set once, under mutex_
};

QString TransferModuleMissing() {
    const QStringList paths = ModuleCandidatePaths(kModuleFileName);
    for (const QString& path : paths) {
        if (QFileInfo::exists(path)) {
            return QString();
        }
    }
    return QStringLiteral(
               "the transfer module %1 is missing (looked for it as %2): reinstall "
               "Quillon")
        .arg(QString::fromLatin1(kModuleFileName), paths.join(QStringLiteral(" and ")));
}

CurlTransfer::CurlTransfer() : connection_(std::make_shared<Connection>()) {}

CurlTransfer::~CurlTransfer() = default;

void CurlTransfer::setTimeouts(long connectTimeoutMs, long totalTimeoutMs) {
    connectTimeoutMs_ = connectTimeoutMs;
    totalTimeoutMs_ = totalTimeoutMs;
}

QString CurlTransfer::userAgent() {
    return QStringLiteral("Quillon/" QUILLON_VERSION_TEXT);
}

bool CurlTransfer::HoldsServiceReply(const QString& body) {
    static const std::array<QString, 4> kTags{QStringLiteral("SUCCESS"), QStringLiteral("Error:"),
                                              QStringLiteral("DNS LOGIN:"),
                                              QStringLiteral("DomainUserRecords:")};
    for (const QString& tag : kTags) {
        if (body.contains(tag)) {
            return true;
        }
    }
    return false;
}

TransferReply CurlTransfer::OpenURL(const QString& url) {
    // The settings and endpoints belong to the calling thread; the worker gets a copy.
    const Request request{
        url.toUtf8(),      userAgent().toUtf8(), endpoints().trustedCA.toLocal8Bit(),
        connectTimeoutMs_, totalTimeoutMs_,      replyCapBytes_};
    return WaitForReply(
        [connection = connection_, &request] { return connection->perform(request); });
}

TransferReply CurlTransfer::Connection::perform(const Request& request) {
    const CurlModule& module = curlModule();
    if (!module.loaded()) {
        return failed(QStringLiteral("the transfer module %1 cannot be loaded")
                          .arg(QString::fromLatin1(kModuleFileName)));
    }
    void* connection = nullptr;
    {
        const std::lock_guard lock(mutex_);
        if (connection_ == nullptr) {
            connection_ = module.open();
        }
        connection = connection_;
    }
    if (connection == nullptr) {
        return failed(QStringLiteral("the transfer could not be set up"));
    }
    const QuillonCurlRequest curlRequest{
        request.url.constData(),  request.userAgent.constData(), request.trustedCA.constData(),
        request.connectTimeoutMs, request.totalTimeoutMs,        request.replyCapBytes};
    QByteArray bytes;
    const QuillonCurlSink sink{&bytes, [](void* user, const char* data, size_t size) {
                                   static_cast<QByteArray*>(user)->append(
                                       data, static_cast<qsizetype>(size));
                               }};
    long status = 0;
    char error[QUILLON_CURL_ERROR_SIZE] = {};
    switch (module.get(connection, &curlRequest, &sink, &status, error, sizeof error)) {
        case QUILLON_CURL_OK:
            break;
        case QUILLON_CURL_TOO_LARGE:
            return failed(QStringLiteral("the reply is larger than the limit"));
        default:
            return failed(QString::fromUtf8(error));
    }
    QString body = QString::fromUtf8(bytes);
    // The service answers some failures (a storage fault, for one) with an error status and its
    // own reply; that reply goes to the reply rules. Another server's error page does not.
    if ((status < 200 || status > 299) && !HoldsServiceReply(body)) {
        return failed(QStringLiteral("the server answered with status %1").arg(status));
    }
    return TransferReply{true, std::move(body), QString(), status};
}

}  // namespace quillon
