// Runs a program under the process restrictions that quillon-update's unit asks systemd for and
// that a process can set on itself: no new privileges, an empty capability bounding set, no
// memory that is both writable and executable, a native-only system call filter that allows
// only local and Internet sockets and creates no namespaces, and a umask of 0077. The file system
// restrictions are the calling script's (a mount namespace).
//   sandbox_exec PROGRAM ARGS...

#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <vector>

#ifndef PR_SET_MDWE
#define PR_SET_MDWE 65
#define PR_MDWE_REFUSE_EXEC_GAIN 1
#endif

namespace {

constexpr unsigned kNamespaceFlags = CLONE_NEWNS | CLONE_NEWCGROUP | CLONE_NEWUTS | CLONE_NEWIPC |
                                     CLONE_NEWUSER | CLONE_NEWPID | CLONE_NEWNET;

sock_filter stmt(unsigned short code, unsigned k) {
    return BPF_STMT(code, k);
}
sock_filter jump(unsigned short code, unsigned k, unsigned char jt, unsigned char jf) {
    return BPF_JUMP(code, k, jt, jf);
}

int fail(const char* what) {
    std::fprintf(stderr, "sandbox_exec: %s: %s\n", what, std::strerror(errno));
    return 125;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: sandbox_exec PROGRAM ARGS...\n");
        return 125;
    }
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
        return fail("no new privileges");
    }
    for (int cap = 0; cap <= 63; ++cap) {
        if (prctl(PR_CAPBSET_DROP, cap, 0, 0, 0) != 0 && errno != EINVAL) {
            return fail("capability bounding set");
        }
    }
    if (prctl(PR_SET_MDWE, PR_MDWE_REFUSE_EXEC_GAIN, 0, 0, 0) != 0) {
        return fail("memory deny write execute");
    }

    const unsigned errnoAction = SECCOMP_RET_ERRNO;
    std::vector<sock_filter> f{
        stmt(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        jump(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
        stmt(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
        stmt(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        // socket(): local and Internet families only.
        jump(BPF_JMP | BPF_JEQ | BPF_K, SYS_socket, 0, 6),
        stmt(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[0])),
        jump(BPF_JMP | BPF_JEQ | BPF_K, AF_UNIX, 3, 0),
        jump(BPF_JMP | BPF_JEQ | BPF_K, AF_INET, 2, 0),
        jump(BPF_JMP | BPF_JEQ | BPF_K, AF_INET6, 1, 0),
        stmt(BPF_RET | BPF_K, errnoAction | EAFNOSUPPORT),
        stmt(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        // No namespaces: unshare and setns refused, clone3 unknown (the C library falls back
        // to clone), clone refused with any namespace flag.
        jump(BPF_JMP | BPF_JEQ | BPF_K, SYS_unshare, 2, 0),
        jump(BPF_JMP | BPF_JEQ | BPF_K, SYS_setns, 1, 0),
        jump(BPF_JMP | BPF_JEQ | BPF_K, SYS_clone3, 1, 2),
        stmt(BPF_RET | BPF_K, errnoAction | EPERM),
        stmt(BPF_RET | BPF_K, errnoAction | ENOSYS),
        jump(BPF_JMP | BPF_JEQ | BPF_K, SYS_clone, 0, 3),
        stmt(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[0])),
        jump(BPF_JMP | BPF_JSET | BPF_K, kNamespaceFlags, 0, 1),
        stmt(BPF_RET | BPF_K, errnoAction | EPERM),
        stmt(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program{static_cast<unsigned short>(f.size()), f.data()};
    if (prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program, 0, 0) != 0) {
        return fail("system call filter");
    }
    umask(0077);
    execv(argv[1], argv + 1);
    return fail(argv[1]);
}
