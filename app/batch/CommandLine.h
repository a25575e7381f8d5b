#pragma once
// The zefweb command line: options for people (help, version) and for scripts
// and tests. Returns the process exit code.

#include <ostream>
#include <string>
#include <vector>

// Whether the arguments ask for a batch option rather than the window program.
bool IsBatchCommand(const std::vector<std::string>& arguments);

int RunCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

extern const char* const kHelpText;
