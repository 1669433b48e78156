#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QStringList>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "Version.h"
#include "platform/ClientError.h"
#include "platform/QtThreadsEnd.h"
#include "platform/TerminationSignals.h"
#include "protocol/CurlTransfer.h"
#include "registry/AccountLock.h"
#include "registry/ComponentLoader.h"
#include "registry/Registry.h"
#include "settings/Keyring.h"
#include "settings/SavedPassword.h"
#include "settings/SettingsSchema.h"
#include "update/UpdateService.h"

// quillon-update: keeps the records of the account saved in Quillon's settings pointed at the
// public address, without windows, until it is told to stop. One line on standard error for each
// thing worth a look in the journal.

namespace {

const char* const kUsage =
    "usage: quillon-update [--once] [--save-login USER] [--help] [--version]\n"
    "\n"
    "Keeps the DNS records of the Corvane account saved in Quillon's settings pointed at this\n"
    "machine's public address: the records marked for automatic IP of an account with domains,\n"
    "or a free account's host. It reads the settings store the Quillon window uses\n"
    "(HIVEKIT_STORE, else ~/.config/hivekit/registry.db) and runs until SIGTERM or SIGINT.\n"
    "\n"
    "  --once     log in, run one check and exit: 0 when every record is where it belongs,\n"
    "             1 when the check could not be made or records wait to be added back\n"
    "  --save-login USER\n"
    "             save the login of USER for the automatic login, the password read from\n"
    "             standard input (one line; not echoed on a terminal): into the desktop's\n"
    "             keyring when a Secret Service answers on the session bus, else into the\n"
    "             store; exit 0 when saved, 2 when no password was read or it could not be saved\n"
    "  --help     show this text\n"
    "  --version  show the version\n"
    "\n"
    "The password is read from $CREDENTIALS_DIRECTORY/quillon-password (systemd's\n"
    "LoadCredential=) when there is one, else from the keyring, else from the store.\n"
    "\n"
    "Exit status: 0 after SIGTERM or SIGINT; 2 when only the user can mend it (no saved login,\n"
    "a login the service refuses, an expired account); 3 when another quillon-update keeps the\n"
    "account.\n";

void say(const QString& line) {
    std::fprintf(stderr, "%s\n", qUtf8Printable(line));
    std::fflush(stderr);
}

// One line of standard input without its line end; the terminal's echo is off meanwhile when
// standard input is one. Empty when nothing was read.
// The terminal's settings before the echo was turned off: put back on Ctrl-C (or another ending
// signal) as well, so that an interrupted prompt does not leave the shell without echo.
termios savedTerminal{};

extern "C" void restoreTerminalAndDie(int signal) {
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

QByteArray readPasswordLine() {
    termios& saved = savedTerminal;
    const bool terminal = ::isatty(STDIN_FILENO) == 1 && ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
            std::signal(signal, restoreTerminalAndDie);
        }
        // The echo goes off before the prompt shows: what is typed once it shows is never
        // echoed, nor thrown away with the input typed before it.
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
        std::fputs("Password: ", stderr);
        std::fflush(stderr);
    }
    QByteArray line;
    int c = 0;
    while ((c = std::fgetc(stdin)) != EOF && c != '\n') {
        line.append(static_cast<char>(c));
    }
    if (terminal) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
            std::signal(signal, SIG_DFL);
        }
        std::fputs("\n", stderr);
    }
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    return line;
}

// --save-login USER: the automatic login's user name and password, saved where the window would.
int saveLogin(const QString& username) {
    QByteArray line = readPasswordLine();
    const QString password = QString::fromUtf8(line);
    line.fill('\0');
    if (password.isEmpty()) {
        say(QStringLiteral("no password was read from standard input: nothing saved"));
        return quillon::UpdateService::kUserMustMend;
    }
    try {
        quillon::Registry reg;
        reg.setKey(quillon::store::kInitKey);
        const quillon::PasswordPlace place = quillon::SaveSavedPassword(reg, username, password);
        if (place == quillon::PasswordPlace::KeyringFailed) {
            say(QStringLiteral("the desktop's keyring did not take the password (locked, or no "
                               "answer within %1 s): nothing saved")
                    .arg(quillon::Keyring::kTimeoutMs / 1000));
            return quillon::UpdateService::kUserMustMend;
        }
        reg.setValue(quillon::store::kSaveLogin, static_cast<qint32>(1),
                     quillon::Registry::RegDword);
        reg.setValue(quillon::store::kUsername, username);
        say(QStringLiteral("saved the login of %1: the password in %2 (%3)")
                .arg(username, quillon::PasswordPlaceText(place), quillon::SettingsStorePath()));
        return 0;
    } catch (const quillon::ClientError& error) {
        say(QStringLiteral("cannot write the settings store %1: %2")
                .arg(quillon::SettingsStorePath(), error.description()));
        return quillon::UpdateService::kUserMustMend;
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    bool once = false;
    const char* saveLoginUser = nullptr;
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
        if (arg == "--save-login" && i + 1 < argc && argv[i + 1][0] != '\0') {
            saveLoginUser = argv[++i];
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
    const quillon::QtThreadsEndBeforeExit qtThreadsEnd;  // the keyring's D-Bus connection
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillon-update"));
    if (saveLoginUser != nullptr) {
        return saveLogin(QString::fromLocal8Bit(saveLoginUser).trimmed());
    }

    if (const QString missing = quillon::TransferModuleMissing(); !missing.isEmpty()) {
        say(missing);
        return quillon::UpdateService::kUserMustMend;
    }
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
