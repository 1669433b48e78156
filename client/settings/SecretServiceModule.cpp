// The keyring module: the saved password in the desktop's Secret Service, through QtKeychain.
// Built as a library of its own that the programs open on demand (see Keyring.cpp).

#include <dlfcn.h>
#include <qt6keychain/keychain.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QEventLoop>
#include <QTimer>
#include <cstdlib>
#include <cstring>

#include "settings/KeyringModule.h"

namespace {

// The entries' service name: the account's user name is the key below it.
const QString kKeychainService = QStringLiteral("Quillon");
const QString kSecretsName = QStringLiteral("org.freedesktop.secrets");

// Asks the bus daemon one question that takes a name and answers a boolean.
bool busAnswersYes(const QString& method, const QVariantList& args, int timeoutMs) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), method);
    call.setArguments(args);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, timeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().first().toBool();
}

bool serviceActivatable(int timeoutMs) {
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ListActivatableNames"));
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, timeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().first().toStringList().contains(kSecretsName);
}

// Runs a job to its end or to the time-out; true when it ended. libsecret, which QtKeychain
// uses, answers through glib's main context: where Qt's event loop is not glib's (quillon-update
// runs without it, to save memory) that context is served here while the job waits. The caller
// reads an ended job, then lets it go with releaseJob.
bool runJob(QKeychain::Job* job, int timeoutMs) {
    job->setAutoDelete(false);
    QEventLoop loop;
    bool ended = false;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&] {
        ended = true;
        loop.quit();
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QTimer glibPump;
    const QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    const bool glibLoop =
        dispatcher && QByteArray(dispatcher->metaObject()->className()).contains("Glib");
    using Iteration = int (*)(void*, int);
    auto iterate = reinterpret_cast<Iteration>(dlsym(RTLD_DEFAULT, "g_main_context_iteration"));
    if (!glibLoop && iterate) {
        QObject::connect(&glibPump, &QTimer::timeout, &loop, [iterate] {
            while (iterate(nullptr, 0) != 0) {
            }
        });
        glibPump.start(10);
    }
    deadline.start(timeoutMs);
    job->start();
    if (!ended) {
        loop.exec();
    }
    return ended;
}

// An ended job goes at the next turn of the event loop; one that timed out, when it ends.
void releaseJob(QKeychain::Job* job, bool ended) {
    if (ended) {
        job->deleteLater();
    } else {
        QObject::connect(job, &QKeychain::Job::finished, job, &QObject::deleteLater);
    }
}

int statusOf(const QKeychain::Job* job, bool ended) {
    if (!ended) {
        return QUILLON_KEYRING_FAILED;
    }
    switch (job->error()) {
        case QKeychain::NoError:
            return QUILLON_KEYRING_OK;
        case QKeychain::EntryNotFound:
            return QUILLON_KEYRING_NOT_FOUND;
        default:
            return QUILLON_KEYRING_FAILED;
    }
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int quillon_keyring_available(int timeoutMs) {
    if (!QCoreApplication::instance() || !QDBusConnection::sessionBus().isConnected()) {
        return 0;
    }
    if (busAnswersYes(QStringLiteral("NameHasOwner"), {kSecretsName}, timeoutMs)) {
        return 1;
    }
    return serviceActivatable(timeoutMs) ? 1 : 0;
}

__attribute__((visibility("default"))) int quillon_keyring_read(const char* username,
                                                                char** password, int timeoutMs) {
    *password = nullptr;
    if (!QCoreApplication::instance()) {
        return QUILLON_KEYRING_FAILED;
    }
    auto* job = new QKeychain::ReadPasswordJob(kKeychainService);
    job->setKey(QString::fromUtf8(username));
    const bool ended = runJob(job, timeoutMs);
    int status = statusOf(job, ended);
    if (status == QUILLON_KEYRING_OK) {
        const QByteArray text = job->textData().toUtf8();
        *password = strndup(text.constData(), static_cast<size_t>(text.size()));
        if (*password == nullptr) {
            status = QUILLON_KEYRING_FAILED;
        }
    }
    releaseJob(job, ended);
    return status;
}

__attribute__((visibility("default"))) int quillon_keyring_write(const char* username,
                                                                 const char* password,
                                                                 int timeoutMs) {
    if (!QCoreApplication::instance()) {
        return QUILLON_KEYRING_FAILED;
    }
    auto* job = new QKeychain::WritePasswordJob(kKeychainService);
    job->setKey(QString::fromUtf8(username));
    job->setTextData(QString::fromUtf8(password));
    const bool ended = runJob(job, timeoutMs);
    const int status = statusOf(job, ended);
    releaseJob(job, ended);
    return status;
}

__attribute__((visibility("default"))) int quillon_keyring_remove(const char* username,
                                                                  int timeoutMs) {
    if (!QCoreApplication::instance()) {
        return QUILLON_KEYRING_FAILED;
    }
    auto* job = new QKeychain::DeletePasswordJob(kKeychainService);
    job->setKey(QString::fromUtf8(username));
    const bool ended = runJob(job, timeoutMs);
    const int status = statusOf(job, ended);
    releaseJob(job, ended);
    return status == QUILLON_KEYRING_NOT_FOUND ? QUILLON_KEYRING_OK : status;
}

__attribute__((visibility("default"))) void quillon_keyring_free(char* password) {
    if (password != nullptr) {
        explicit_bzero(password, std::strlen(password));
        std::free(password);
    }
}
}
