#pragma once

#include <string>

// A new folder below the temporary folder for one benchmark run's files and logs, removed with
// everything in it when the object goes, unless the environment variable `keepVariable` is 1
// (then its path is printed, for reading the programs' logs).
class ScratchFolder {
  public:
    // `prefix` starts the folder's name. Throws std::runtime_error.
    ScratchFolder(const std::string& prefix, const std::string& keepVariable);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string path(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
    std::string keepVariable_;
};
