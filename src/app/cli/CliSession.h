#pragma once
// A download session run from the CLI: the worker that the window runs, with
// the progress bar on stderr and Ctrl-C cancelling after the current block.

#include "uDownloadCommit.h"

#include <QString>

struct TCliSession {
    bool keepData = true;
    // Check the data file before the end command, as a download does; fetch
    // copies it as it is.
    bool checkData = true;
    // Instead of the check: delete only when the data is this file's bytes.
    QString confirmedCopy;
};

// Runs one session on the port given as COMn (through the worker's own COM
// naming and the Ports/COMn map) or as a device path (used as it is).
TDownloadOutcome RunCliSession(const QString& portName, const TCliSession& session);
