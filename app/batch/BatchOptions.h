#pragma once
// What the batch commands of zefweb (--render, --text, --bench, --dump)
// share: reading their arguments, choosing how the file is shown, the date
// their include comments give, the application object they need, and the
// exit code of an error.

#include "engine/base/ViewedFileType.h"
#include "engine/images/ImageLoader.h"

#include <QDateTime>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

class QApplication;

// A usage error: the message is for standard error, the exit code is 2.
class EUsage : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file named on the command line and the options around it.
struct TBatchOptions {
    std::string File;
    std::map<std::string, std::string> Values;
    std::vector<std::string> Flags;

    bool Has(const std::string& flag) const;
    std::optional<std::string> Value(const std::string& name) const;
    // The whole number given for the option, `fallback` when absent; EUsage
    // when it is not a number of at least `minimum`.
    int Number(const std::string& name, int fallback, int minimum) const;
};

// Reads the arguments after the command word (arguments[0]): one file name
// anywhere among them, options that take the next argument as their value
// (`valued`) and options that stand alone (`flags`). Anything else, or no
// file, is an EUsage.
TBatchOptions ParseBatchOptions(const std::vector<std::string>& arguments, const std::vector<std::string>& valued,
                                const std::vector<std::string>& flags);

// A std::runtime_error (Windows-1252) that names the file and says in French
// why it cannot be read, unless it can (letter case aside, as the control
// finds files).
void RequireReadableFile(const std::string& fileName);

// --as html|text|image, else the file's extension: ".txt" is text, a picture
// extension an image, anything else HTML.
TViewedFileType FileTypeOf(const TBatchOptions& options);

// The moment include comments give for DATE and TIME: --date, else the
// ZEF_DATE variable, else none (the clock's); EUsage when the one given is no
// "dd/mm/yyyy HH:mm:ss".
std::optional<QDateTime> FixedMomentOf(const TBatchOptions& options);

// --png: PNG pictures are decoded; without it they give the error picture, as
// in a window where "Afficher les images PNG" is off.
TPngPictures PngPicturesOf(const TBatchOptions& options);

// --zoom PERCENT, 100 without it; EUsage outside the zoom's limits.
int ZoomPercentOf(const TBatchOptions& options);

// The QApplication fonts and the control need: the running one, else one of
// our own on the offscreen platform (unless a platform is chosen), with the
// Fusion style and its standard palette so that pictures are the same on
// every machine.
class TBatchApplication {
public:
    TBatchApplication();
    ~TBatchApplication();
    TBatchApplication(const TBatchApplication&) = delete;
    TBatchApplication& operator=(const TBatchApplication&) = delete;

private:
    int argc_ = 1;
    char programName_[7] = "zefweb";
    char* argv_[2] = {programName_, nullptr};
    std::unique_ptr<QApplication> application_;
};

// Runs the command and turns its errors into exit codes, with the message on
// `err`: 2 for a usage error, 1 for any other failure.
int ReportErrors(const std::function<int()>& command, std::ostream& err);
