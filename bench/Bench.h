#pragma once
// The benchmarks, one per subcommand of pellkit-bench; each returns the exit
// status (0 when it could measure, whether or not its goal was met).

int RunWire(int argc, char** argv);
int RunLatency(int argc, char** argv);
int RunPasses(int argc, char** argv);
int RunCatalogue(int argc, char** argv);
int RunMakeData(int argc, char** argv);
int RunRegister(int argc, char** argv);
int RunViewer(int argc, char** argv);
