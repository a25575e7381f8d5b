#include "app/window/Application.h"
#include "app/batch/CommandLine.h"

#include <csignal>
#include <iostream>

int main(int argc, char* argv[])
{
    // Past the file-size limit a write then fails with EFBIG, reported like
    // any write error, instead of the signal ending the program half way.
    std::signal(SIGXFSZ, SIG_IGN);
    std::vector<std::string> arguments(argv + 1, argv + argc);
    // Options are for scripts and tests; anything else starts the window
    // program, which checks its own file when its main window is first shown.
    if (IsBatchCommand(arguments))
        return RunCommandLine(arguments, std::cout, std::cerr);
    return RunWindowProgram(argc, argv, std::move(arguments));
}
