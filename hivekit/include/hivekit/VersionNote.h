#pragma once

// The file version and version comment of libhivekit.so. The library exports only its four
// entry points; it carries these texts in an ELF note (owner "Hivekit", type 1, the data the
// version and the comment, each ended by a zero), which `readelf -n libhivekit.so` shows and
// ReadVersionNote reads from a library loaded with dlopen.

#include <dlfcn.h>
#include <link.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace hivekit {

constexpr char kVersionNoteOwner[] = "Hivekit";
constexpr std::uint32_t kVersionNoteType = 1;

namespace detail {

struct VersionSearch {
    ElfW(Addr) base;
    std::string version;
    std::string comments;
    bool found;
};

constexpr std::size_t NoteAlign(std::size_t n) {
    return (n + 3) & ~std::size_t{3};
}

// Looks for the version note in one PT_NOTE segment of `size` bytes at `p`.
inline bool FindVersionNote(const char* p, std::size_t size, VersionSearch& s) {
    std::size_t at = 0;
    while (at + sizeof(ElfW(Nhdr)) <= size) {
        ElfW(Nhdr) header;
        std::memcpy(&header, p + at, sizeof header);
        const std::size_t name = at + sizeof header;
        const std::size_t desc = name + NoteAlign(header.n_namesz);
        const std::size_t end = desc + NoteAlign(header.n_descsz);
        if (end > size || end <= at) {
            return false;
        }
        if (header.n_type == kVersionNoteType && header.n_namesz == sizeof kVersionNoteOwner &&
            std::memcmp(p + name, kVersionNoteOwner, sizeof kVersionNoteOwner) == 0) {
            const char* data = p + desc;
            const std::size_t length = header.n_descsz;
            const std::size_t first = strnlen(data, length);
            if (first >= length) {
                return false;
            }
            s.version.assign(data, first);
            const std::size_t second = strnlen(data + first + 1, length - first - 1);
            s.comments.assign(data + first + 1, second);
            return true;
        }
        at = end;
    }
    return false;
}

}  // namespace detail

// The version and comment of the library `handle` (from dlopen); false when it has none.
inline bool ReadVersionNote(void* handle, std::string& version, std::string& comments) {
    link_map* map = nullptr;
    if (!handle || dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || !map) {
        return false;
    }
    detail::VersionSearch search{map->l_addr, {}, {}, false};
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) -> int {
            auto& s = *static_cast<detail::VersionSearch*>(data);
            if (info->dlpi_addr != s.base) {
                return 0;
            }
            for (ElfW(Half) i = 0; i < info->dlpi_phnum && !s.found; ++i) {
                const ElfW(Phdr)& ph = info->dlpi_phdr[i];
                if (ph.p_type == PT_NOTE) {
                    s.found = detail::FindVersionNote(
                        reinterpret_cast<const char*>(info->dlpi_addr + ph.p_vaddr), ph.p_memsz, s);
                }
            }
            return 1;
        },
        &search);
    if (!search.found) {
        return false;
    }
    version = search.version;
    comments = search.comments;
    return true;
}

}  // namespace hivekit
