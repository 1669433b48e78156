#pragma once

#include <QString>

namespace quillon {

// What one transfer brought back. `ok` is false when the server could not be reached, did not
// answer in time, answered with an error status, sent more than the reply cap, or anything else
// went wrong; `error` then says why (for diagnostics only, never shown to the user by the
// service dialogue). `body` is the reply text (UTF-8 decoded) when `ok` is true.
struct TransferReply {
    bool ok = false;
    QString body;
    QString error;
    // The reply's HTTP status. A service reply that came with an error status (outside 200-299)
    // is a failure of the service, which may have carried out the request before it failed.
    long status = 200;
};

// The transfer operation: one blocking GET of a full request address, the reply body as text.
// Implementations never throw; a failure comes back as a reply with `ok` false.
class Transfer {
  public:
    virtual ~Transfer() = default;
    virtual TransferReply OpenURL(const QString& url) = 0;
};

// The program-wide transfer that carries every service request. The login window registers its
// transfer `Inet1` here when it is created and unregisters it (nullptr) when it is destroyed;
// tests register a fake. With nothing registered, requests go through a default CurlTransfer
// that lives for the program's run. The registration does not take ownership.
void setServiceTransfer(Transfer* transfer);

// The transfer in force: the registered one, or the default.
Transfer& serviceTransfer();

// Unregisters `transfer` only if it is the one registered (for a window's destructor, so that
// a newer window's registration is not undone by an older window going away).
void unregisterServiceTransfer(Transfer* transfer);

}  // namespace quillon
