// Makes every file write beyond a few bytes fail, as on a full disk, for the scope's lifetime.
// Works for root too (a file size limit, with the size-limit signal ignored).
#pragma once

#include <signal.h>
#include <sys/resource.h>

class FullDisk {
public:
    explicit FullDisk(rlim_t bytes = 16) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FullDisk() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, previous_);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

private:
    rlimit saved_{};
    sighandler_t previous_ = SIG_DFL;
};
