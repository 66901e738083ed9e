// What vantora-cli asks of its process and of the system around it: the
// command line as UTF-8, stop requests (signals on Linux, console control
// events on Windows), the process number, a private folder, an environment
// variable, and whether standard error is a terminal.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace vantora::cli {

// Makes the requests to stop (Ctrl+C, the terminal or console closing, a
// termination request) reach WaitForStopRequest instead of ending the
// process; a reader of standard error that went away ends nothing. Call
// first in main, before any thread exists.
void PrepareStopRequests();

// Makes standard output and error carry the program's bytes as they are
// (Windows would put a CR before every LF).
void PrepareStandardStreams();

// Waits up to `wait` for a stop request; true when one came.
bool WaitForStopRequest(std::chrono::milliseconds wait);

// The program's command line, its name first, in UTF-8 on Windows (whatever
// the console's code page), as given on Linux.
std::vector<std::string> ProgramArguments(int argc, char** argv);

long CurrentProcessId();
// Whether no process with the number `pid` runs (any more).
bool ProcessGone(long pid);

// Creates a new folder named `prefix` followed by six characters that make
// it unique, only this user may enter; its name, or empty when that failed.
std::string MakePrivateFolder(const std::string& prefix);

void SetEnvironmentValue(const std::string& name, const std::string& value);

bool IsTerminal(std::FILE* stream);

}  // namespace vantora::cli
