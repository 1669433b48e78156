#pragma once

#include <hivekit/Hivekit.h>

#include <string>

namespace hivekit {

// Writes the class, its programmatic name, the type library and the interface under
// HKEY_CLASSES_ROOT in the store, with `libraryPath` as the in-process server.
HRESULT RegisterServer(const std::string& libraryPath);
// Removes exactly what RegisterServer wrote.
HRESULT UnregisterServer();

// {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}, upper case, as the registry writes identifiers.
std::string GuidString(const GUID& g);

}  // namespace hivekit
