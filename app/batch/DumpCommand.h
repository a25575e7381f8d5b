#pragma once
// zefweb --dump FILE [--width W] [--as html|text|image]: the page's document
// model laid out at W pixels (800), as indented text (see engine/LayoutDump.h).

#include <ostream>
#include <string>
#include <vector>

int DumpCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
