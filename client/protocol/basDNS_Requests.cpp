#include <exception>
#include <functional>
#include <optional>

#include "account/clsUser.h"
#include "platform/MessageBox.h"
#include "protocol/MainWindowLink.h"
#include "protocol/Transfer.h"
#include "protocol/basDNS.h"

namespace quillon {

namespace {

const QString kSuccess = QStringLiteral("SUCCESS");
const QString kRecordDelete = QStringLiteral("RECORDDELETE");
const QString kRecordsTag = QStringLiteral("DomainUserRecords:");

// Runs one step of a procedure that skips its errors statement by statement.
template <typename Step>
void skipErrors(Step step) {
    try {
        step();
    } catch (const std::exception&) {
        // The step is passed over; the next one runs.
    }
}

// Sends a request through the program's transfer; a failed transfer gives no reply.
std::optional<TransferReply> sendRequest(const QString& serviceURL, const QString& query) {
    TransferReply reply = serviceTransfer().OpenURL(serviceURL + query);
    if (!reply.ok) {
        return std::nullopt;
    }
    return reply;
}

std::optional<QString> send(const QString& serviceURL, const QString& query) {
    std::optional<TransferReply> reply = sendRequest(serviceURL, query);
    if (!reply) {
        return std::nullopt;
    }
    return std::move(reply->body);
}

// A success switches the status (and the tray icon) back to connected only when the label shows
// the not-connected colour; a success while it is green changes nothing visible.
void markConnected(const ServiceAccount& account) {
    if (account.connected != nullptr) {
        *account.connected = true;
    }
    if (MainStatusColour() == kStatusColourNotConnected) {
        MainSysTrayIcon(true);
        SetMainStatus(QString::fromLatin1(kStatusConnected), kStatusColourConnected);
    }
}

void markNotConnected(const ServiceAccount& account) {
    if (account.connected != nullptr) {
        *account.connected = false;
    }
    MainSysTrayIcon(false);
    SetMainStatus(QString::fromLatin1(kStatusNotConnected), kStatusColourNotConnected);
}

// Enables the main window again when an update request ends, on every path.
class DisabledMainWindow {
  public:
    DisabledMainWindow() { SetMainEnabled(false); }
    ~DisabledMainWindow() {
        skipErrors([] { SetMainEnabled(true); });
    }
    DisabledMainWindow(const DisabledMainWindow&) = delete;
    DisabledMainWindow& operator=(const DisabledMainWindow&) = delete;
};

// The texts of one update request's two outcomes.
struct Outcome {
    QString successText;
    QString failurePrefix;  // followed by the value of "Error:"
    QString failureTitle;
};

// The shared body of the two update requests, from sending the query to the result.
UpdateOutcome runUpdate(const ServiceAccount& account, const QString& query, const Outcome& outcome,
                        bool showMessage, const std::function<void(const QString&)>& onSuccess,
                        OnRefusal onRefusal = OnRefusal::MarkNotConnected) {
    const std::optional<TransferReply> answered = sendRequest(*account.serviceURL, query);
    if (!answered) {
        return UpdateOutcome::NoReply;  // a failed transfer: nothing shown, nothing changed
    }
    const QString* reply = &answered->body;
    if (reply->contains(kSuccess)) {
        markConnected(account);
        onSuccess(*reply);
        if (showMessage) {
            MsgBox(outcome.successText, MsgButtons::OK, QStringLiteral("Corvane"), MsgIcon::None);
        }
        return UpdateOutcome::Done;
    }
    if (showMessage) {
        MsgBox(outcome.failurePrefix + GetReplyValue(*reply, QStringLiteral("Error:")),
               MsgButtons::OK, outcome.failureTitle);
    }
    if (onRefusal == OnRefusal::MarkNotConnected) {
        markNotConnected(account);
    }
    const bool serverError = answered->status < 200 || answered->status > 299;
    return serverError ? UpdateOutcome::ServerError : UpdateOutcome::Refused;
}

}  // namespace

namespace {

// Replaces the account's record list with the reply's. A reply without the whole list (a page
// cut short before it or inside it) leaves it as it is: a grid without those records would lose
// their AutoIP marks at the next save.
void takeRecordList(const QString& reply, QString& records) {
    if (HasClosedField(reply, kRecordsTag)) {
        records = GetReplyValue(reply, kRecordsTag);
    }
}

}  // namespace

ServiceAccount ProgramAccount() {
    return ServiceAccount{&objUser(), &sAutoIPs, &sServiceURL};
}

QString GetIPAddress() {
    return GetIPAddress(ProgramAccount());
}

QString GetIPAddress(const ServiceAccount& account) {
    QString reply;
    QString result;
    clsUser& user = *account.user;
    skipErrors([&] {
        reply = send(*account.serviceURL, GetIPAddressQuery(user.sUsername)).value_or(QString());
    });
    if (reply.contains(kSuccess)) {
        skipErrors([&] { markConnected(account); });
        skipErrors([&] { result = GetReplyValue(reply, QStringLiteral("IPAddress:")); });
        skipErrors([&] { takeRecordList(reply, user.sDomainUserRecords); });
    } else {
        if (account.connected != nullptr) {
            *account.connected = false;
        }
        skipErrors([] { MainSysTrayIcon(false); });
        skipErrors([] {
            SetMainStatus(QString::fromLatin1(kStatusNotConnected), kStatusColourNotConnected);
        });
    }
    return result;
}

bool DNSTickler(const QString& domain, QString& name, const QString& command,
                const QString& recordType, const QString& address, bool showMessage,
                int trackAutoIP) {
    return DNSTickler(ProgramAccount(), domain, name, command, recordType, address, showMessage,
                      trackAutoIP);
}

bool DNSTickler(const ServiceAccount& account, const QString& domain, QString& name,
                const QString& command, const QString& recordType, const QString& address,
                bool showMessage, int trackAutoIP) {
    return DNSTicklerOutcome(account, domain, name, command, recordType, address, showMessage,
                             trackAutoIP) == UpdateOutcome::Done;
}

UpdateOutcome DNSTicklerOutcome(const QString& domain, QString& name, const QString& command,
                                const QString& recordType, const QString& address, bool showMessage,
                                int trackAutoIP, OnRefusal onRefusal) {
    return DNSTicklerOutcome(ProgramAccount(), domain, name, command, recordType, address,
                             showMessage, trackAutoIP, onRefusal);
}

UpdateOutcome DNSTicklerOutcome(const ServiceAccount& account, const QString& domain, QString& name,
                                const QString& command, const QString& recordType,
                                const QString& address, bool showMessage, int trackAutoIP,
                                OnRefusal onRefusal) {
    try {
        DisabledMainWindow disabled;
        if (name.isEmpty()) {
            name = QStringLiteral("@");
        }
        clsUser& user = *account.user;
        const bool removing = command == kRecordDelete;
        const Outcome outcome{QStringLiteral("Transaction Complete:\nIP ") +
                                  (removing ? QStringLiteral("Removed") : QStringLiteral("Set")) +
                                  QStringLiteral(" for Name:") + name +
                                  QStringLiteral(" IPAddress:") + address,
                              QStringLiteral("Could not ") +
                                  (removing ? QStringLiteral("Remove") : QStringLiteral("Set")) +
                                  QStringLiteral(" IP.  "),
                              QString()};
        const QString query = DNSTicklerQuery(user.sUsername, user.sPassword, name, domain, command,
                                              recordType, address);
        return runUpdate(
            account, query, outcome, showMessage,
            [&](const QString& reply) {
                user.sIPAddress = address;
                takeRecordList(reply, user.sDomainUserRecords);
                if (!user.bCorvaneOnly) {
                    UpdateAutoIPEntry(*account.autoIPs, domain, name, command, recordType, address,
                                      trackAutoIP);
                }
            },
            onRefusal);
    } catch (const std::exception&) {
        return UpdateOutcome::NoReply;
    }
}

bool DNSTicklerAdvanced(const QString& domain, QString& name, const QString& command,
                        const QString& recordType, const QString& address, bool showMessage) {
    try {
        DisabledMainWindow disabled;
        if (name.isEmpty()) {
            name = QStringLiteral("@");
        }
        clsUser& user = objUser();
        const bool removing = command == kRecordDelete;
        const QString fullName =
            name + QLatin1Char('.') + user.sUsername + QLatin1Char('.') + domain;
        const Outcome outcome{QStringLiteral("Transaction Complete:\n") + fullName +
                                  QLatin1Char(' ') +
                                  (removing ? QStringLiteral("Removed") : QStringLiteral("Set")),
                              QStringLiteral("Could not ") +
                                  (removing ? QStringLiteral("Remove ") : QStringLiteral("Set ")) +
                                  fullName + QLatin1Char(' '),
                              QStringLiteral("Corvane")};
        const QString query = DNSTicklerAdvancedQuery(user.sUsername, user.sPassword, name, domain,
                                                      command, recordType, address);
        return runUpdate(ProgramAccount(), query, outcome, showMessage, [&](const QString& reply) {
                   user.sIPAddress = address;
                   takeRecordList(reply, user.sDomainUserRecords);
               }) == UpdateOutcome::Done;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace quillon
