#include "CliCommands.h"

int RunProbe(const QStringList&) { return 2; }
int RunFetch(const QStringList&) { return 2; }
