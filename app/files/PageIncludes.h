#pragma once
// The text a page's include comments stand for, the same for the document
// window and the batch commands: <!--#DATE--> gives the date (dd/mm/yyyy),
// <!--#TIME--> the time (HH:mm:ss), <!--#INCLUDE FILE="name"--> the bytes of
// the file, and any other command nothing. The file name is taken relative to
// the current folder, else beside the page that names it, with the
// letter-case fallback; a file that cannot be read (missing, no regular file,
// above kMaxIncludeBytes) includes nothing. All the files one page includes
// share one budget: past it an include gives a short note instead.

#include "engine/base/Cp1252.h"
#include "engine/lexer/Lexer.h"

#include <QDateTime>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How --date and ZEF_DATE fix the moment DATE and TIME give.
constexpr const char* kFixedMomentFormat = "dd/MM/yyyy HH:mm:ss";
constexpr const char* kFixedMomentVariable = "ZEF_DATE";

// "dd/mm/yyyy HH:mm:ss" as a moment; nothing when the text is no such moment.
std::optional<QDateTime> ParseFixedMoment(std::string_view text);

// The file an INCLUDE command names: FILE="name" as its first parameter (cut
// to TPageIncludes::kMaxNameLength, in UTF-8), else nothing.
std::optional<std::string> IncludedFileName(const std::vector<std::string>& params);

class TPageIncludes {
public:
    // File names are cut to this many characters.
    static constexpr std::size_t kMaxNameLength = 255;

    // With a fixed moment, DATE and TIME always give it (reproducible
    // pictures and tests); without, they give the clock's.
    explicit TPageIncludes(std::optional<QDateTime> fixedMoment = std::nullopt);

    // Twenty includes of 64 MB each would pass any page's size: together the
    // files of one page stay within the page limit of a text that is shown.
    static constexpr std::uint64_t kPageIncludeBudget = std::uint64_t{256} << 20;
    // Written in the page for an include past the budget.
    static constexpr TCp1252Text kBudgetNote{"[fichier inclus omis : la page dépasse 256 Mo d'inclusions]"};

    // Written for an include of /proc, /sys and their like.
    static constexpr TCp1252Text kPseudoFileNote{"[fichier inclus refusé : fichier virtuel du système]"};

    std::string Answer(const std::string& command, const std::vector<std::string>& params,
                       const std::string& pageFile);
    // Answer as a viewer control's include handler; this object must outlive
    // it. Each page read starts a new budget (the control says so when it
    // starts processing).
    TIncludeType Handler();
    void StartPage() { includedBytes_ = 0; }

private:
    std::string IncludedFile(const std::string& fileName);

    std::optional<QDateTime> fixedMoment_;
    std::uint64_t includedBytes_ = 0;
};
