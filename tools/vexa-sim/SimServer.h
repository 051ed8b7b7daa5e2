#pragma once
// Serves a simulated Vexa on a pseudo-terminal until SIGTERM, SIGINT or SIGHUP.
// The slave's path is the first line on stdout; after a simulated hang-up the
// simulator opens a fresh pty and prints its path as a further line (the
// --link symlink follows it).

#include "SimDevice.h"

#include <string>

struct ServeOptions {
    SimConfig device;
    long bps = 0;          // 0: unpaced
    std::string link;      // symlink to the slave, empty: none
    std::string journal;   // empty: none
};

// Returns the process exit status: 0 after a clean stop, 1 when the line
// could not be set up.
int RunServer(const ServeOptions& options);
