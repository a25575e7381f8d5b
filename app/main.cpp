#include "app/window/Application.h"
#include "app/batch/CommandLine.h"

#include <iostream>

int main(int argc, char* argv[])
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    // Options are for scripts and tests; anything else starts the window
    // program, which checks its own file when its main window is first shown.
    if (IsBatchCommand(arguments))
        return RunCommandLine(arguments, std::cout, std::cerr);
    return RunWindowProgram(argc, argv, std::move(arguments));
}
