#include "RegFileIo.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace hivekit::reg {

namespace {

// Closes a descriptor on every way out.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now; false when the close reported a failure (a write that did not land).
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return close(fd) == 0;
    }

  private:
    int fd_;
};

std::string KindOf(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "a folder";
    }
    if (S_ISFIFO(mode)) {
        return "a pipe";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "a device";
    }
    if (S_ISLNK(mode)) {
        return "a symbolic link";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    return "not a regular file";
}

std::string Reason() {
    return std::strerror(errno);
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool ReadRegularFile(const std::string& path, std::size_t limit, std::string& bytes,
                     std::string& why) {
    // Not blocking: opening a pipe must not wait for a writer before it can be refused.
    const Descriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        why = "Cannot open " + path + " (" + Reason() + ").";
        return false;
    }
    struct stat st {};
    if (fstat(fd.get(), &st) != 0) {
        why = "Cannot read " + path + " (" + Reason() + ").";
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        why = "Cannot import " + path + ": it is " + KindOf(st.st_mode) + ", not a registry file.";
        return false;
    }
    if (static_cast<std::size_t>(st.st_size) > limit) {
        why = "Cannot import " + path + ": it is larger than " + std::to_string(limit >> 20) +
              " MiB, too large for a registry file.";
        return false;
    }
    bytes.clear();
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t n = read(fd.get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            why = "Cannot read " + path + " (" + Reason() + ").";
            return false;
        }
        if (n == 0) {
            return true;
        }
        // The file may grow while it is read.
        if (bytes.size() + static_cast<std::size_t>(n) > limit) {
            why = "Cannot import " + path + ": it is larger than " + std::to_string(limit >> 20) +
                  " MiB, too large for a registry file.";
            return false;
        }
        bytes.append(buffer.data(), static_cast<std::size_t>(n));
    }
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

bool Replaceable(const std::string& path, std::string& why) {
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        why = "Cannot write " + path + ": it is " + KindOf(st.st_mode) +
              "; only a regular file is replaced.";
        return false;
    }
    return true;
}

bool ReplaceFile(const std::string& path, const std::string& bytes, std::string& why) {
    if (!Replaceable(path, why)) {
        return false;
    }
    const std::size_t slash = path.rfind('/');
    std::string temp = FolderOf(path) + "/." +
                       (slash == std::string::npos ? path : path.substr(slash + 1)) + ".XXXXXX";
    // mkostemp creates the file with O_EXCL and mode 0600, whatever the umask.
    Descriptor fd(mkostemp(temp.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        why = "Cannot write a new file in " + FolderOf(path) + " (" + Reason() + ").";
        return false;
    }
    const bool written = WriteAll(fd.get(), bytes) && fsync(fd.get()) == 0;
    const int writeErrno = errno;
    if (!fd.Close() || !written) {
        why = "Cannot write " + path + " (" + std::strerror(written ? errno : writeErrno) + ").";
        unlink(temp.c_str());
        return false;
    }
    if (rename(temp.c_str(), path.c_str()) != 0) {
        why = "Cannot put the new file in place of " + path + " (" + Reason() + ").";
        unlink(temp.c_str());
        return false;
    }
    // The rename itself lasts once the folder is on disk.
    const Descriptor folder(open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) {
        fsync(folder.get());
    }
    return true;
}

}  // namespace hivekit::reg
