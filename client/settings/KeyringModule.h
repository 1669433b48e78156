#pragma once

// The functions of the keyring module (libquillon-keyring.so), which holds everything that
// talks to the desktop's Secret Service. The programs open it only when a session bus is
// named in the environment, so that a run without one never loads the bus and keychain code.
// Every call waits at most `timeoutMs` and needs a QCoreApplication.

extern "C" {

enum QuillonKeyringStatus {
    QUILLON_KEYRING_OK = 0,
    QUILLON_KEYRING_NOT_FOUND = 1,  // no entry for that user name
    QUILLON_KEYRING_FAILED = 2,     // locked, refused, no answer in time, or no service
};

// 1 when a Secret Service owns its name on the session bus or the bus can start one.
typedef int (*QuillonKeyringAvailableFn)(int timeoutMs);
// On QUILLON_KEYRING_OK, *password is a UTF-8 copy to give back with the free function.
typedef int (*QuillonKeyringReadFn)(const char* username, char** password, int timeoutMs);
typedef int (*QuillonKeyringWriteFn)(const char* username, const char* password, int timeoutMs);
// A missing entry counts as removed.
typedef int (*QuillonKeyringRemoveFn)(const char* username, int timeoutMs);
// Overwrites the copy and frees it.
typedef void (*QuillonKeyringFreeFn)(char* password);
}
