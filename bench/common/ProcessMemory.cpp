#include "ProcessMemory.h"

#include <fstream>
#include <sstream>
#include <string>

namespace {

// The "Name:   1234 kB" lines of a /proc file, looked up by name.
long field(const std::string& text, const std::string& name) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(name + ":", 0) == 0) {
            return std::stol(line.substr(name.size() + 1));
        }
    }
    return -1;
}

std::string slurp(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

}  // namespace

ProcessMemory readProcessMemory(pid_t pid) {
    const std::string dir = "/proc/" + std::to_string(pid) + "/";
    const std::string status = slurp(dir + "status");
    const std::string rollup = slurp(dir + "smaps_rollup");
    ProcessMemory m;
    m.rss = field(status, "VmRSS");
    m.rssAnon = field(status, "RssAnon");
    m.rssFile = field(status, "RssFile");
    m.pss = field(rollup, "Pss");
    m.pssAnon = field(rollup, "Pss_Anon");
    return m;
}
