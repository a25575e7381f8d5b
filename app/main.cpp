#include "app/CommandLine.h"

#include <iostream>

int main(int argc, char* argv[])
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return RunCommandLine(arguments, std::cout, std::cerr);
}
