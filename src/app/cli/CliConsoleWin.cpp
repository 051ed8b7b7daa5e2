#include "CliConsole.h"

#include <atomic>

#include <windows.h>

#include <io.h>

namespace {

std::atomic<bool> g_interrupted{false};

// Runs on a thread of its own. The first Ctrl-C only asks; the second ends
// the program as the system would.
BOOL WINAPI OnConsoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    if (g_interrupted.exchange(true))
        return FALSE;
    return TRUE;
}

} // namespace

bool StderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

void InstallInterruptHandler()
{
    g_interrupted = false;
    SetConsoleCtrlHandler(&OnConsoleEvent, TRUE);
}

bool Interrupted() { return g_interrupted.load(); }
