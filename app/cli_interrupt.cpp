#include "app/cli_interrupt.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t interrupted = 0;
struct sigaction previous {};
bool caught = false;

void onInterrupt(int) {
    interrupted = 1;
}

}  // namespace

InterruptRequest::InterruptRequest() {
    interrupted = 0;
    // A program started with SIGINT ignored (nohup, a background job of a script) keeps
    // ignoring it.
    sigaction(SIGINT, nullptr, &previous);
    caught = previous.sa_handler != SIG_IGN;
    if (!caught) return;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // The handler runs once; the next Ctrl-C has the default effect.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
}

InterruptRequest::~InterruptRequest() {
    if (caught) sigaction(SIGINT, &previous, nullptr);
}

bool InterruptRequest::requested() {
    return interrupted != 0;
}
