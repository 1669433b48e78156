#include "Registration.h"

#include <cstdio>
#include <vector>

#include "Store.h"

namespace hivekit {

namespace {

constexpr const char* kProgId = "Hivekit.CRegistry";
// The standard proxy of dual interfaces (the automation marshaler).
constexpr const char* kAutomationProxy = "{00020424-0000-0000-C000-000000000046}";

struct Entry {
    std::string key;
    std::string name;
    std::string value;
};

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::vector<Entry> Entries(const std::string& library) {
    const std::string clsid = "CLSID\\" + GuidString(CLSID_CRegistry);
    const std::string libid = GuidString(LIBID_Hivekit);
    const std::string typeLib = "TypeLib\\" + libid + "\\1.0";
    const std::string iface = "Interface\\" + GuidString(IID__CRegistry);
    return {
        {clsid, "", kProgId},
        {clsid + "\\InprocServer32", "", library},
        {clsid + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {clsid + "\\ProgID", "", kProgId},
        {clsid + "\\TypeLib", "", libid},
        {clsid + "\\VERSION", "", "1.0"},
        {kProgId, "", kProgId},
        {std::string(kProgId) + "\\Clsid", "", GuidString(CLSID_CRegistry)},
        {typeLib, "", "Hivekit.dll"},  // the library's help string
        {typeLib + "\\0\\linux", "", library},
        {typeLib + "\\FLAGS", "", "0"},
        {typeLib + "\\HELPDIR", "", FolderOf(library)},
        {iface, "", "_CRegistry"},
        {iface + "\\ProxyStubClsid32", "", kAutomationProxy},
        {iface + "\\TypeLib", "", libid},
        {iface + "\\TypeLib", "Version", "1.0"},
    };
}

}  // namespace

std::string GuidString(const GUID& g) {
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1,
                  g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
                  g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

HRESULT RegisterServer(const std::string& libraryPath) {
    Store store;
    const long code = store.Batch([&]() -> long {
        for (const Entry& e : Entries(libraryPath)) {
            std::int64_t id = 0;
            int disposition = 0;
            if (long c = store.CreateKey(HkeyClassRoot, e.key, id, disposition); c != kStoreOk) {
                return c;
            }
            if (long c = store.SetValue(id, e.name, RegSz, e.value + '\0'); c != kStoreOk) {
                return c;
            }
        }
        return kStoreOk;
    });
    return code == kStoreOk ? S_OK : SELFREG_E_CLASS;
}

HRESULT UnregisterServer() {
    Store store;
    const std::string libid = GuidString(LIBID_Hivekit);
    const std::pair<std::string, std::string> trees[] = {
        {"CLSID", GuidString(CLSID_CRegistry)},
        {"", kProgId},
        {"TypeLib\\" + libid, "1.0"},
        {"Interface", GuidString(IID__CRegistry)},
    };
    const long code = store.Batch([&]() -> long {
        for (const auto& [parent, sub] : trees) {
            if (long c = store.DeleteKeyTree(HkeyClassRoot, parent, sub);
                c != kStoreOk && c != kStoreNotFound) {
                return c;
            }
        }
        // The type library's key goes too when no other version of it is registered.
        std::int64_t id = 0;
        std::vector<std::string> versions;
        std::vector<ValueRow> values;
        if (store.OpenKey(HkeyClassRoot, "TypeLib\\" + libid, id) == kStoreOk &&
            store.ReadSubKeys(id, versions) == kStoreOk && versions.empty() &&
            store.ReadValues(id, values) == kStoreOk && values.empty()) {
            return store.DeleteKeyTree(HkeyClassRoot, "TypeLib", libid);
        }
        return kStoreOk;
    });
    return code == kStoreOk ? S_OK : SELFREG_E_CLASS;
}

}  // namespace hivekit
