#include "FuzzStore.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "RegFile.h"

namespace hivekit::fuzz {

namespace {

constexpr std::int32_t kRoots[] = {
    static_cast<std::int32_t>(0x80000000u), static_cast<std::int32_t>(0x80000001u),
    static_cast<std::int32_t>(0x80000002u), static_cast<std::int32_t>(0x80000003u),
    static_cast<std::int32_t>(0x80000005u), static_cast<std::int32_t>(0x80000006u)};

void AppendEscaped(const std::string& bytes, std::string& out) {
    char hex[4];
    for (unsigned char c : bytes) {
        std::snprintf(hex, sizeof hex, "%02x", c);
        out += hex;
    }
}

}  // namespace

ScratchStores::ScratchStores() {
    const char* shm = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string templ = std::string(shm) + "/hivekit-fuzz-XXXXXX";
    if (!mkdtemp(templ.data())) {
        Fail("cannot make a scratch folder");
    }
    dir_ = templ;
}

ScratchStores::~ScratchStores() {
    Reset();
    unsetenv("HIVEKIT_STORE");
    rmdir(dir_.c_str());
}

void ScratchStores::Reset() {
    for (const char* name : {"/a.db", "/b.db"}) {
        for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
            unlink((dir_ + name + suffix).c_str());
        }
    }
    UseFirst();
}

void ScratchStores::UseFirst() {
    Use(dir_ + "/a.db");
}

void ScratchStores::UseSecond() {
    Use(dir_ + "/b.db");
}

void ScratchStores::Use(const std::string& path) {
    setenv("HIVEKIT_STORE", path.c_str(), 1);
}

std::string DumpStore(Store& store) {
    std::string out;
    for (std::int32_t root : kRoots) {
        std::int64_t id = 0;
        if (store.OpenKey(root, "", id) != kStoreOk) {
            Fail("cannot open a root");
        }
        std::vector<std::pair<std::int64_t, std::string>> todo{{id, std::to_string(root)}};
        while (!todo.empty()) {
            const auto [key, path] = todo.back();
            todo.pop_back();
            std::vector<ValueRow> rows;
            std::vector<std::string> subKeys;
            if (store.ReadValues(key, rows) != kStoreOk ||
                store.ReadSubKeys(key, subKeys) != kStoreOk) {
                Fail("cannot read " + path);
            }
            out += "[" + path + "]\n";
            for (const ValueRow& row : rows) {
                AppendEscaped(row.name, out);
                out += " " + std::to_string(row.type) + " ";
                AppendEscaped(row.data, out);
                out += "\n";
            }
            for (auto it = subKeys.rbegin(); it != subKeys.rend(); ++it) {
                std::int64_t sub = 0;
                if (store.OpenSubKey(key, *it, sub) != kStoreOk) {
                    Fail("cannot open a sub-key of " + path);
                }
                std::string name = path + "\\";
                AppendEscaped(*it, name);
                todo.push_back({sub, name});
            }
        }
    }
    return out;
}

void CheckRoundTrip(ScratchStores& stores) {
    // A store follows HIVEKIT_STORE at every call: the first store is read, then the second
    // is written.
    stores.UseFirst();
    Store store;
    const std::string before = DumpStore(store);
    std::vector<std::string> files;
    for (std::int32_t root : kRoots) {
        std::string bytes;
        std::string why;
        if (!reg::ExportKey(store, root, "", bytes, why)) {
            Fail("the export refused what the store holds: " + why);
        }
        files.push_back(bytes);
    }
    stores.UseSecond();
    for (const std::string& bytes : files) {
        std::string why;
        if (!reg::ImportFile(store, bytes, why)) {
            Fail("the export does not import again: " + why);
        }
    }
    if (DumpStore(store) != before) {
        Fail("the export and import changed the store:\n" + before + "\n---\n" + DumpStore(store));
    }
    stores.UseFirst();
}

void Fail(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    std::abort();
}

}  // namespace hivekit::fuzz
