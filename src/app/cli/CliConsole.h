#pragma once
// The console, over the system's own calls: whether stderr is a terminal,
// and Ctrl-C as a request to stop instead of a kill.

// A progress bar is drawn only where a person sees it.
bool StderrIsTerminal();
// Ctrl-C sets a flag instead of killing; a second Ctrl-C kills as usual.
void InstallInterruptHandler();
bool Interrupted();
