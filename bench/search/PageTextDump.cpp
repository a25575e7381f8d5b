// Prints the text the page index reads from each page given, as
// bench/search_text.sh sets it against `zefweb --text`.
// Usage: page_text FILE...

#include "app/search/PageText.h"

#include <QGuiApplication>

#include <iostream>

int main(int argc, char* argv[])
{
    // The builder asks the application for its default fonts.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QGuiApplication application(argc, argv);
    for (int i = 1; i < argc; ++i) {
        const std::string title = ReadPageText(argv[i], [](std::string_view text) { std::cout << text; });
        std::cout << "title: " << title << '\n';
    }
    return 0;
}
