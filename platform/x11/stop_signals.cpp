#include "platform/x11/stop_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Process-wide by nature: signal handlers are.
volatile sig_atomic_t gStop = 0;
int gPipe[2] = {-1, -1};

void OnStopSignal(int) {
    const int saved = errno;
    gStop = 1;
    const char byte = 1;
    if (gPipe[1] >= 0) (void)!::write(gPipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

bool InstallStopSignals() {
    if (gPipe[0] >= 0) return true;
    if (::pipe(gPipe) != 0) {
        gPipe[0] = gPipe[1] = -1;
        return false;
    }
    for (int fd : gPipe) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
    return true;
}

bool StopRequested() { return gStop != 0; }

int StopSignalFd() { return gPipe[0]; }

void ResetStopRequest() {
    gStop = 0;
    char buffer[64];
    if (gPipe[0] >= 0) {
        while (::read(gPipe[0], buffer, sizeof buffer) > 0) {
        }
    }
}
