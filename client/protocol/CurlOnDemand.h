#pragma once

// libcurl, and the OpenSSL it brings, are loaded on the first request rather than when the
// program starts: the program is not linked with them. CurlOnDemand.cpp defines the few
// libcurl and OpenSSL functions the transfer calls; each loads libcurl (once, thread-safe) and
// forwards to it. A transfer that needs another libcurl function adds it there.
//
// Why: libcurl pulls in some thirty libraries (TLS, Kerberos, LDAP, SSH, ...). Loading and
// initialising them took about a fifth of the time to the login window and some 7 MB of
// resident memory, before any request is made (and the login window may make none).

namespace quillon {

// Whether libcurl has been loaded into the process (for tests).
bool curlLibraryLoaded();

}  // namespace quillon
