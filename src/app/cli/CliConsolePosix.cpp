#include "CliConsole.h"

#include <csignal>

#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) { g_interrupted = 1; }

} // namespace

bool StderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

void InstallInterruptHandler()
{
    g_interrupted = 0;
    struct sigaction action = {};
    action.sa_handler = &OnInterrupt;
    sigemptyset(&action.sa_mask);
    // The first Ctrl-C only asks; the handler is gone for the second.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
}

bool Interrupted() { return g_interrupted != 0; }
