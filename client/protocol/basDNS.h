#pragma once

#include <QString>
#include <QVariant>

namespace quillon {

class clsUser;

// ---------------------------------------------------------------------------------------------
// The service dialogue (module basDNS): the service address, the requests and what each update
// request does with its reply, the AutoIP list, and the small text helpers the client shares.
//
// "Null" values: helpers that take "any value" take a QVariant. A QVariant that holds no value
// (QVariant()) or a null pointer is Null; anything else, the empty string included, is a value
// and is converted to text with QVariant::toString(). A QString passes implicitly.
// ---------------------------------------------------------------------------------------------

// The base of every request; a request address is sServiceURL immediately followed by its query
// string (which begins with "?"). Set by the login window, the connection settings and the SSL
// boxes, always to one of the three forms below.
extern QString sServiceURL;

// The records kept on automatic IP: entries "DOMAIN;;TYPE;;NAME;;ADDRESS~~", upper case.
extern QString sAutoIPs;

// What the requests read and change of the account they are sent for: the account record (its
// user name and password go with every request; a reply's record list, and a successful update's
// address, come back into it), the AutoIP marks a successful update moves, the service address
// the requests go to, and (when given) whether the last request that judged the connection found
// the service answering, as the status label shows it. Each owner of an update engine passes its
// own; nothing is owned.
struct ServiceAccount {
    clsUser* user = nullptr;
    QString* autoIPs = nullptr;
    QString* serviceURL = nullptr;
    bool* connected = nullptr;
};

// The program-wide views (objUser(), sAutoIPs, sServiceURL) as one ServiceAccount: the account the
// window shows, and the one the requests below without a ServiceAccount use. Its connection state
// is the window's status label alone.
ServiceAccount ProgramAccount();

// The three forms of the service address, built from the endpoints in force (quillon::endpoints()).
// When the update host names its own port ("127.0.0.1:8081", how the demo and the tests point the
// client at corvane-sim), the plain form keeps that port and leaves out the port argument.
QString DefaultServiceURL();  // "http://" + update host + "/dnslogin3.asp"
QString PlainServiceURL(
    const QString& port);    // "http://" + update host + ":" + port + "/dnslogin3.asp"
QString SecureServiceURL();  // "https://" + secure host + "/autoupdate/dnslogin3.asp"

// Percent-encodes an argument value for a request's query string: the blank, "&", "=", "#", "%",
// "+", "?", control characters and every byte above 127 of the UTF-8 text become %XX (upper-case
// hex); every other character stays as it is, so "home.jdoe", "@", ":", "/" and ";" are sent
// unchanged and "MX 1" goes as "MX%201". Every argument value of every request passes through
// here, the login's user name and password included.
QString EncodeQueryValue(const QString& value);

// The query strings of the four requests (argument values encoded with EncodeQueryValue).
QString LoginQuery(const QString& username, const QString& password);
QString GetIPAddressQuery(const QString& username);
QString DNSTicklerQuery(const QString& username, const QString& password, const QString& name,
                        const QString& domain, const QString& command, const QString& recordType,
                        const QString& address);
// `name` is the record name; the name sent is name + "." + username.
QString DNSTicklerAdvancedQuery(const QString& username, const QString& password,
                                const QString& name, const QString& domain, const QString& command,
                                const QString& recordType, const QString& address);

// The empty string for Null, else the value's text without leading and trailing spaces (the
// space character only; tabs and line breaks stay).
QString TrimNull(const QVariant& value);

// The value of a labelled field of a reply: the text after the first occurrence of `tag`
// (case-sensitive, the tag includes its colon) up to the next "</p", through TrimNull. The empty
// string when the tag is absent, and when no "</p" follows it: the service closes every field,
// so an open one is a reply cut short (a connection that closed mid-page), and the text after
// it a fragment (an address cut to "1.2.3", a record list that lost its last entries).
QString GetReplyValue(const QString& reply, const QString& tag);

// Whether the reply holds `tag` with a "</p" after it: a field the reply carries whole.
bool HasClosedField(const QString& reply, const QString& tag);

// Asks the service from which address the request came. Returns the address, or the empty
// string when the request failed or the service did not report success. Updates the connection
// status and, on success, objUser().sDomainUserRecords. Never throws; shows no message.
QString GetIPAddress();
QString GetIPAddress(const ServiceAccount& account);

// Creates ("RECORDADD") or removes ("RECORDDELETE") a record. An empty `name` is replaced by "@"
// in the caller's variable. True when the service reported success. `trackAutoIP` 0 = no, any
// other value = yes. The main window is disabled while the request runs and enabled again on
// every path. A failed transfer shows nothing, changes nothing and returns false.
bool DNSTickler(const QString& domain, QString& name, const QString& command,
                const QString& recordType, const QString& address, bool showMessage,
                int trackAutoIP);

bool DNSTickler(const ServiceAccount& account, const QString& domain, QString& name,
                const QString& command, const QString& recordType, const QString& address,
                bool showMessage, int trackAutoIP);

// What became of an update request: done, refused by the service (it answered without
// "SUCCESS" and with a 2xx status: nothing was done), failed on the service (its reply came with
// an error status: it may have carried the request out before it failed), or no reply at all (a
// failed transfer: whether the service carried it out is not known).
enum class UpdateOutcome { Done, Refused, ServerError, NoReply };
// Whether the service's refusal sets the connection status to "not connected", as it does for
// the user's own requests, or leaves it alone, for a retry the program sends by itself: the
// service did answer.
enum class OnRefusal { MarkNotConnected, KeepStatus };

// DNSTickler with its outcome told apart.
UpdateOutcome DNSTicklerOutcome(const QString& domain, QString& name, const QString& command,
                                const QString& recordType, const QString& address, bool showMessage,
                                int trackAutoIP, OnRefusal onRefusal = OnRefusal::MarkNotConnected);
UpdateOutcome DNSTicklerOutcome(const ServiceAccount& account, const QString& domain, QString& name,
                                const QString& command, const QString& recordType,
                                const QString& address, bool showMessage, int trackAutoIP,
                                OnRefusal onRefusal = OnRefusal::MarkNotConnected);

// As DNSTickler for an alias of a sub-domain account: the name sent is name + "." + the user
// name; the AutoIP list is not touched.
bool DNSTicklerAdvanced(const QString& domain, QString& name, const QString& command,
                        const QString& recordType, const QString& address, bool showMessage);

// The service's record list: entries closed by "~~", their fields separated by ";;".
inline const QString kRecordEntrySep = QStringLiteral("~~");
inline const QString kRecordFieldSep = QStringLiteral(";;");

// The AutoIP entry of a record: the four values trimmed, joined by ";;", closed by "~~", upper
// case.
QString AutoIPEntry(const QString& domain, const QString& recordType, const QString& name,
                    const QString& address);

// Whether the AutoIP list holds the entry (both compared in upper case). An entry matches only
// where an entry of the list begins (at the start of the list or right after "~~"), so the entry
// of "a.com" is not found inside that of "xa.com".
bool AutoIPListContains(const QString& list, const QString& entry);

// Adds the record's entry to sAutoIPs (command "RECORDADD" with trackAutoIP not 0, when not yet
// there) or removes every occurrence of it ("RECORDDELETE"; the list then becomes upper case).
void UpdateAutoIPEntry(const QString& domain, const QString& name, const QString& command,
                       const QString& recordType, const QString& address, int trackAutoIP);
// The same on the list `autoIPs`.
void UpdateAutoIPEntry(QString& autoIPs, const QString& domain, const QString& name,
                       const QString& command, const QString& recordType, const QString& address,
                       int trackAutoIP);

// Puts "Http://" before an address that does not begin with "HTTP://" (any case; the caller's
// variable changes) and returns the address with ":" + port inserted before the first "/" after
// the scheme (or appended when there is none). A port that is not numeric leaves the address
// without a port.
QString BuildRelayURL(QString& address, const QString& port);

// Splits a relay address ("[http://]host[:port][/path]") into host, port and path; a port that is
// not numeric comes back empty. The three outputs are overwritten only where a part is found, so
// callers pass empty variables.
void SplitRelayURL(const QString& url, QString& host, QString& port, QString& path);

// Whether a text reads as a number (blanks around it allowed; sign, decimals and an exponent
// accepted), as the relay helpers judge a port.
bool IsNumeric(const QString& text);

}  // namespace quillon
