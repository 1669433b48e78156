#include "RegTool.h"

#include <iostream>
#include <optional>
#include <sstream>

#include "RegChecks.h"
#include "RegFile.h"
#include "RegFileIo.h"
#include "RegText.h"
#include "hivekit/NameFold.h"
#include "hivekit/Store.h"

namespace hivekit::reg {

namespace {

constexpr const char* kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.";
constexpr const char* kDone = "The operation completed successfully.";

const char* const kUsage =
    "Usage:\n"
    "  hivekit-reg query KEY [/v NAME | /ve] [/s]\n"
    "  hivekit-reg add KEY [/v NAME | /ve] [/t "
    "REG_SZ|REG_EXPAND_SZ|REG_MULTI_SZ|REG_DWORD|REG_BINARY] [/d DATA] [/f]\n"
    "  hivekit-reg delete KEY [/v NAME | /ve | /va] [/f]\n"
    "  hivekit-reg export KEY FILE [/y]\n"
    "  hivekit-reg import FILE\n"
    "KEY begins with a root: HKLM, HKCU, HKCR, HKU, HKCC or their long names "
    "(HKEY_LOCAL_MACHINE).\n"
    "The store is $HIVEKIT_STORE, or $XDG_CONFIG_HOME/hivekit/registry.db.\n";

struct Options {
    std::vector<std::string> words;  // operands, in order
    std::optional<std::string> valueName;
    bool allValues = false;
    bool force = false;
    bool recurse = false;
    bool overwriteFile = false;
    std::string type = "REG_SZ";
    std::optional<std::string> data;
};

bool IsOption(const std::string& arg, const char* name) {
    return (arg[0] == '/' || arg[0] == '-') && FoldName(arg.substr(1)) == FoldName(name);
}

bool KnownOption(const std::string& arg) {
    for (const char* name : {"v", "ve", "va", "t", "d", "f", "s", "y"}) {
        if (IsOption(arg, name)) {
            return true;
        }
    }
    return false;
}

bool ParseOptions(const std::vector<std::string>& args, Options& o, std::string& why) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasNext = i + 1 < args.size();
        // A word is an option only when it names one, so that "/tmp/x.reg" stays a file.
        if (a.size() < 2 || (a[0] != '/' && a[0] != '-') || !KnownOption(a)) {
            o.words.push_back(a);
        } else if (IsOption(a, "v") && hasNext) {
            o.valueName = args[++i];
        } else if (IsOption(a, "ve")) {
            o.valueName = "";
        } else if (IsOption(a, "va")) {
            o.allValues = true;
        } else if (IsOption(a, "t") && hasNext) {
            o.type = args[++i];
        } else if (IsOption(a, "d") && hasNext) {
            o.data = args[++i];
        } else if (IsOption(a, "f")) {
            o.force = true;
        } else if (IsOption(a, "s")) {
            o.recurse = true;
        } else if (IsOption(a, "y")) {
            o.overwriteFile = true;
        } else {
            why = "ERROR: Invalid syntax (" + a + " needs a value).";
            return false;
        }
    }
    return true;
}

// The message for a key that could not be opened: missing, or a store that cannot be read.
std::string OpenError(Store& store, long code) {
    return "ERROR: " + StoreErrorText(store, code);
}

bool Confirm(const std::string& question, std::ostream& err, std::istream& in) {
    err << question << " (Yes/No)? " << std::flush;
    std::string answer;
    std::getline(in, answer);
    const std::string folded = FoldName(answer);
    return folded == "Y" || folded == "YES";
}

std::string FullName(std::int32_t root, const std::string& path) {
    std::string name;
    Store::RootName(root, name);
    for (const std::string& part : SplitKeyPath(path)) {
        name += "\\" + part;
    }
    return name;
}

void PrintValue(std::ostream& out, const ValueRow& row) {
    out << "    " << (row.name.empty() ? "(Default)" : row.name) << "    " << TypeName(row.type)
        << "    " << DisplayData(row.type, row.data) << "\n";
}

// One key still to be shown by a query: its id and full name.
struct QueryItem {
    std::int64_t id;
    std::string fullName;
};

// Shows one key (its values, and its sub-keys' names unless the query recurses); with /s the
// sub-keys go on `todo`. True when the key showed a value the query asked for.
bool QueryKey(Store& store, const QueryItem& key, const Options& o, std::ostream& out,
              std::vector<QueryItem>& todo) {
    std::vector<ValueRow> rows;
    std::vector<std::string> subKeys;
    if (store.ReadValues(key.id, rows) != kStoreOk ||
        store.ReadSubKeys(key.id, subKeys) != kStoreOk) {
        return false;
    }
    bool found = !o.valueName;
    std::ostringstream block;
    for (const ValueRow& row : rows) {
        if (!o.valueName || SameName(row.name, *o.valueName)) {
            PrintValue(block, row);
            found = true;
        }
    }
    if (!block.str().empty() || !o.valueName) {
        out << "\n" << key.fullName << "\n" << block.str();
    }
    if (!o.recurse) {
        if (!o.valueName) {
            out << "\n";
            for (const std::string& sub : subKeys) {
                out << key.fullName << "\\" << sub << "\n";
            }
        }
        return found;
    }
    // In reverse, so that the first sub-key comes off the stack first.
    for (auto it = subKeys.rbegin(); it != subKeys.rend(); ++it) {
        std::int64_t subId = 0;
        if (store.OpenSubKey(key.id, *it, subId) == kStoreOk) {
            todo.push_back({subId, key.fullName + "\\" + *it});
        }
    }
    return found;
}

int Query(Store& store, std::int32_t root, const std::string& path, const Options& o,
          std::ostream& out, std::ostream& err) {
    std::int64_t id = 0;
    if (long code = store.OpenKey(root, path, id); code != kStoreOk) {
        err << OpenError(store, code) << "\n";
        return 1;
    }
    std::ostringstream text;
    // Depth first without recursion, so that no depth of tree runs the call stack out.
    std::vector<QueryItem> todo{{id, FullName(root, path)}};
    bool found = false;
    while (!todo.empty()) {
        const QueryItem key = std::move(todo.back());
        todo.pop_back();
        found = QueryKey(store, key, o, text, todo) || found;
    }
    if (!found) {
        err << kNotFound << "\n";
        return 1;
    }
    out << text.str();
    if (o.valueName) {
        out << "\n";
    }
    return 0;
}

int Add(Store& store, std::int32_t root, const std::string& path, const Options& o,
        std::ostream& out, std::ostream& err, std::istream& in) {
    std::int32_t type = 0;
    std::string data;
    std::string why;
    if (!TypeFromName(o.type, type) ||
        (type != 1 && type != 2 && type != 3 && type != 4 && type != 7 && type != 0)) {
        err << "ERROR: Invalid type " << o.type << ".\n";
        return 1;
    }
    if (o.valueName && !ParseAddData(type, o.data.value_or(type == 4 ? "0" : ""), data, why)) {
        err << "ERROR: " << why << "\n";
        return 1;
    }
    std::int64_t id = 0;
    int disposition = 0;
    if (path.empty()) {
        err << "ERROR: A root key cannot be created.\n";
        return 1;
    }
    if (o.valueName && !o.force && store.OpenKey(root, path, id) == kStoreOk) {
        std::vector<ValueRow> rows;
        store.ReadValues(id, rows);
        bool exists = false;
        for (const ValueRow& row : rows) {
            exists = exists || SameName(row.name, *o.valueName);
        }
        if (exists &&
            !Confirm("Value " + (o.valueName->empty() ? std::string("(Default)") : *o.valueName) +
                         " exists, overwrite",
                     err, in)) {
            err << "The operation was cancelled.\n";
            return 1;
        }
    }
    // The key is made (or found again, after the question) and the value written in one
    // transaction: a failed write leaves no new empty key, and the value lands in the key of
    // that path as it is now, whatever other programs did while the question was up.
    bool keyMade = false;
    const long code = store.Batch([&]() -> long {
        if (long c = store.CreateKey(root, path, id, disposition); c != kStoreOk) {
            return c;
        }
        keyMade = true;
        return o.valueName ? store.SetValue(id, *o.valueName, type, data) : kStoreOk;
    });
    if (code != kStoreOk) {
        if (keyMade) {
            err << "ERROR: Cannot write the value. " << StoreErrorText(store, code) << "\n";
        } else {
            err << "ERROR: Cannot create the key " << FullName(root, path) << ". "
                << StoreErrorText(store, code) << "\n";
        }
        return 1;
    }
    out << kDone << "\n";
    return 0;
}

int Delete(Store& store, std::int32_t root, const std::string& path, const Options& o,
           std::ostream& out, std::ostream& err, std::istream& in) {
    const std::string full = FullName(root, path);
    std::int64_t id = 0;
    if (long code = store.OpenKey(root, path, id); code != kStoreOk) {
        err << OpenError(store, code) << "\n";
        return 1;
    }
    if (o.valueName || o.allValues) {
        const std::string what =
            o.allValues ? "all values of " + full : "the registry value " + *o.valueName;
        if (!o.force && !Confirm("Permanently delete " + what, err, in)) {
            err << "The operation was cancelled.\n";
            return 1;
        }
        // The key is found again and its values read and deleted in one transaction: all of
        // them go or none does, and they are the values of that path as it is now, whatever
        // other programs did while the question was up.
        bool opened = false;
        bool found = false;
        std::string failedValue;
        const long code = store.Batch([&]() -> long {
            if (long c = store.OpenKey(root, path, id); c != kStoreOk) {
                return c;
            }
            std::vector<ValueRow> rows;
            if (long c = store.ReadValues(id, rows); c != kStoreOk) {
                return c;
            }
            opened = true;
            for (const ValueRow& row : rows) {
                if (o.allValues || SameName(row.name, *o.valueName)) {
                    found = true;
                    if (long c = store.DeleteValue(id, row.name); c != kStoreOk) {
                        failedValue = row.name.empty() ? std::string("(Default)") : row.name;
                        return c;
                    }
                }
            }
            return kStoreOk;
        });
        if (code != kStoreOk) {
            if (!opened) {
                err << OpenError(store, code) << "\n";
            } else if (!failedValue.empty()) {
                err << "ERROR: Cannot delete the value " << failedValue << ". "
                    << StoreErrorText(store, code) << "\n";
            } else {
                err << "ERROR: Cannot delete the values. " << StoreErrorText(store, code) << "\n";
            }
            return 1;
        }
        if (!found && !o.allValues) {
            err << kNotFound << "\n";
            return 1;
        }
    } else {
        if (SplitKeyPath(path).empty()) {
            err << "ERROR: A root key cannot be deleted.\n";
            return 1;
        }
        if (!o.force && !Confirm("Permanently delete the registry key " + full, err, in)) {
            err << "The operation was cancelled.\n";
            return 1;
        }
        if (long code = store.DeleteKeyTree(root, "", path); code != kStoreOk) {
            err << "ERROR: Cannot delete " << full << ". " << StoreErrorText(store, code) << "\n";
            return 1;
        }
    }
    out << kDone << "\n";
    return 0;
}

int Export(Store& store, std::int32_t root, const std::string& path, const std::string& file,
           const Options& o, std::ostream& out, std::ostream& err, std::istream& in) {
    std::string bytes;
    std::string why;
    if (!Replaceable(file, why) || !ExportKey(store, root, path, bytes, why)) {
        err << "ERROR: " << why << "\n";
        return 1;
    }
    if (PathExists(file) && !o.overwriteFile &&
        !Confirm("File " + file + " already exists. Overwrite", err, in)) {
        err << "The operation was cancelled.\n";
        return 1;
    }
    // Settings may hold a saved password: the new file is the user's alone from the start, and
    // the old one stays as it was unless the new one is complete.
    if (!ReplaceFile(file, bytes, why)) {
        err << "ERROR: " << why << "\n";
        return 1;
    }
    out << kDone << "\n";
    return 0;
}

int Import(Store& store, const std::string& file, std::ostream& out, std::ostream& err) {
    std::string bytes;
    std::string why;
    if (!ReadRegularFile(file, kMaxImportBytes, bytes, why)) {
        err << "ERROR: " << why << "\n";
        return 1;
    }
    if (!ImportFile(store, bytes, why)) {
        err << "ERROR: Nothing was imported. " << why << "\n";
        return 1;
    }
    out << kDone << "\n";
    return 0;
}

}  // namespace

int RunReg(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           std::istream& in) {
    Options o;
    std::string why;
    if (args.empty() || !ParseOptions(args, o, why)) {
        err << (why.empty() ? "ERROR: Invalid syntax." : why) << "\n" << kUsage;
        return 1;
    }
    const std::string command = FoldName(args[0]);
    Store store;
    if (command == "IMPORT" && o.words.size() == 1) {
        return Import(store, o.words[0], out, err);
    }
    const bool isExport = command == "EXPORT";
    if (o.words.size() != (isExport ? 2u : 1u)) {
        err << "ERROR: Invalid syntax.\n" << kUsage;
        return 1;
    }
    std::int32_t root = 0;
    std::string path;
    if (!ParseKeyName(o.words[0], root, path)) {
        err << "ERROR: Invalid key name " << o.words[0] << ".\n";
        return 1;
    }
    if (!CheckKeyPath(path, false, why) ||
        (o.valueName && !CheckValueName(*o.valueName, false, why))) {
        err << "ERROR: " << why << "\n";
        return 1;
    }
    if (command == "QUERY") {
        return Query(store, root, path, o, out, err);
    }
    if (command == "ADD") {
        return Add(store, root, path, o, out, err, in);
    }
    if (command == "DELETE") {
        return Delete(store, root, path, o, out, err, in);
    }
    if (isExport) {
        return Export(store, root, path, o.words[1], o, out, err, in);
    }
    err << "ERROR: Invalid syntax.\n" << kUsage;
    return 1;
}

}  // namespace hivekit::reg
