#pragma once
// One function per pellkit-cli command. Each gets the arguments after the
// program name, the command name first, and returns the exit status
// (kExitOk and the others in CliCommon.h).

#include <QStringList>

int RunProbe(const QStringList& args);
int RunFetch(const QStringList& args);
int RunInspect(const QStringList& args);
int RunVerify(const QStringList& args);
int RunActivities(const QStringList& args);
int RunStore(const QStringList& args);
int RunValidate(const QStringList& args);
int RunDownload(const QStringList& args);
int RunConfigure(const QStringList& args);
int RunSetClock(const QStringList& args);
int RunRegister(const QStringList& args);
// A warning line on stderr for each download left in the spool.
void ReportSpoolLeftovers();
