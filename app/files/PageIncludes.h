#pragma once
// The text a page's include comments stand for, the same for the document
// window and the batch commands: <!--#DATE--> gives the date (dd/mm/yyyy),
// <!--#TIME--> the time (HH:mm:ss), <!--#INCLUDE FILE="name"--> the bytes of
// the file, and any other command nothing. The file name is taken relative to
// the current folder, else beside the page that names it, with the
// letter-case fallback; a file that cannot be read (missing, no regular file,
// above kMaxIncludeBytes) includes nothing.

#include "engine/lexer/Lexer.h"

#include <QDateTime>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How --date and ZEF_DATE fix the moment DATE and TIME give.
constexpr const char* kFixedMomentFormat = "dd/MM/yyyy HH:mm:ss";
constexpr const char* kFixedMomentVariable = "ZEF_DATE";

// "dd/mm/yyyy HH:mm:ss" as a moment; nothing when the text is no such moment.
std::optional<QDateTime> ParseFixedMoment(std::string_view text);

class TPageIncludes {
public:
    // File names are cut to this many characters.
    static constexpr std::size_t kMaxNameLength = 255;

    // With a fixed moment, DATE and TIME always give it (reproducible
    // pictures and tests); without, they give the clock's.
    explicit TPageIncludes(std::optional<QDateTime> fixedMoment = std::nullopt);

    std::string Answer(const std::string& command, const std::vector<std::string>& params,
                       const std::string& pageFile) const;
    // Answer as a viewer control's include handler; this object must outlive it.
    TIncludeType Handler() const;

private:
    std::optional<QDateTime> fixedMoment_;
};
