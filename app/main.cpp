#include "app/CommandLine.h"
#include "app/SelfCheck.h"
#include "engine/Cp1252.h"

#include <QApplication>

#include <iostream>

int main(int argc, char* argv[])
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    // The window program checks its own file first; the batch options do not.
    if (arguments.empty() && CheckProgramFile(OwnProgramFile()) != TSelfCheck::Intact) {
        std::cerr << "zefweb: " << Cp1252ToQString(kSelfCheckWarning).toStdString() << '\n';
        QApplication application(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Zef Web"));
        OwnProgramIsIntact(nullptr);
        return 1;
    }
    return RunCommandLine(arguments, std::cout, std::cerr);
}
