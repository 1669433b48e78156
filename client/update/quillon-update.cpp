#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

#include "Version.h"
#include "platform/TerminationSignals.h"
#include "registry/ComponentLoader.h"
#include "update/UpdateService.h"

// quillon-update: keeps the records of the account saved in Quillon's settings pointed at the
// public address, without windows, until it is told to stop. One line on standard error for each
// thing worth a look in the journal.

namespace {

const char* const kUsage =
    "usage: quillon-update [--once] [--help] [--version]\n"
    "\n"
    "Keeps the DNS records of the Corvane account saved in Quillon's settings pointed at this\n"
    "machine's public address: the records marked for automatic IP of an account with domains,\n"
    "or a free account's host. It reads the settings store the Quillon window uses\n"
    "(HIVEKIT_STORE, else ~/.config/hivekit/registry.db) and runs until SIGTERM or SIGINT.\n"
    "\n"
    "  --once     log in, run one check and exit: 0 when every record is where it belongs,\n"
    "             1 when the check could not be made or records wait to be added back\n"
    "  --help     show this text\n"
    "  --version  show the version\n"
    "\n"
    "Exit status: 0 after SIGTERM or SIGINT; 2 when only the user can mend it (no saved login,\n"
    "a login the service refuses, an expired account); 3 when another quillon-update keeps the\n"
    "account.\n";

void say(const QString& line) {
    std::fprintf(stderr, "%s\n", qUtf8Printable(line));
    std::fflush(stderr);
}

}  // namespace

int main(int argc, char* argv[]) {
    bool once = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("quillon-update %s\n", QUILLON_VERSION_TEXT);
            return 0;
        }
        if (arg == "--once") {
            once = true;
            continue;
        }
        std::fprintf(stderr, "quillon-update: unknown option '%s'\n\n%s", argv[i], kUsage);
        return 2;
    }

    quillon::ComponentLoader::preload();
    // Qt's own event loop serves a program without windows; glib's would only cost memory.
    if (qEnvironmentVariableIsEmpty("QT_NO_GLIB")) {
        qputenv("QT_NO_GLIB", "1");
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillon-update"));

    quillon::UpdateService service(say);
    const int early = service.prepare();
    if (early >= 0) {
        return early;
    }
    if (once) {
        return service.runOnce();
    }
    int status = 0;
    QObject::connect(&service, &quillon::UpdateService::finished, &app, [&status](int code) {
        status = code;
        QCoreApplication::exit(code);
    });
    quillon::OnTerminationSignal(&app, [&service] { service.stop(); });
    service.start();
    QCoreApplication::exec();
    return status;
}
