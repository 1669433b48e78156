#pragma once

#include <sys/types.h>

// A process's memory in KiB as the kernel counts it. Pss (the resident pages with shared ones
// divided among their sharers) is -1 where smaps_rollup is not available.
struct ProcessMemory {
    long rss = -1;
    long rssAnon = -1;
    long rssFile = -1;
    long pss = -1;
    long pssAnon = -1;
};

// Reads /proc/PID/status and /proc/PID/smaps_rollup; rss stays -1 when the process is gone.
ProcessMemory readProcessMemory(pid_t pid);
