#include "ScratchFolder.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

ScratchFolder::ScratchFolder(const std::string& prefix, const std::string& keepVariable)
    : keepVariable_(keepVariable) {
    std::string pattern = std::filesystem::temp_directory_path() / (prefix + ".XXXXXX");
    if (!mkdtemp(pattern.data())) {
        throw std::runtime_error("cannot make a scratch folder");
    }
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    if (const char* keep = std::getenv(keepVariable_.c_str()); keep && std::string(keep) == "1") {
        std::fprintf(stderr, "logs kept in %s\n", path_.c_str());
        return;
    }
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}
