#pragma once
// Batch uses of the viewer control for people and tests: render a page to a
// PNG picture exactly as the window shows it, print the text that "select
// all" and "copy" would put on the clipboard, and time the phases of showing
// a page. Each starts a QApplication on the offscreen platform when none runs.

#include <ostream>
#include <string>
#include <vector>

// zefweb --render FILE --output OUT.png [--width W] [--height H] [--full]
//        [--as html|text|image] [--no-images] [--scroll Y]
int RenderCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
// zefweb --pdf FILE --output OUT.pdf [--paper A4|Letter] [--background]
int PdfCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
// zefweb --text FILE [--as html|text|image] [--width W]
int TextCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
// zefweb --bench FILE [--width W] [--repeat N]
int BenchCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
