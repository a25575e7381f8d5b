#include "app/batch/DumpCommand.h"

#include "app/batch/BatchOptions.h"
#include "app/files/PageIncludes.h"
#include "engine/builder/LayoutDump.h"
#include "engine/viewer/Zoom.h"

#include <algorithm>

int DumpCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    return ReportErrors(
        [&] {
            const TBatchOptions options = ParseBatchOptions(arguments, {"--width", "--as", "--date", "--zoom"}, {"--png"});
            TPageIncludes includes(FixedMomentOf(options));
            TDumpOptions dump;
            // Numbers stay in page pixels: a zoomed view is a narrower page.
            dump.Width = std::max(1, options.Number("--width", dump.Width, 1) * TZoom::kNormalPercent /
                                         ZoomPercentOf(options));
            dump.Png = PngPicturesOf(options);
            dump.As = FileTypeOf(options);
            RequireReadableFile(options.File);
            const TBatchApplication application;
            DumpPageFile(options.File, dump, out, includes.Handler());
            return 0;
        },
        err);
}
