#include "app/batch/DumpCommand.h"

#include "app/batch/BatchOptions.h"
#include "app/files/PageIncludes.h"
#include "engine/builder/LayoutDump.h"

int DumpCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    return ReportErrors(
        [&] {
            const TBatchOptions options = ParseBatchOptions(arguments, {"--width", "--as", "--date"}, {"--png"});
            TPageIncludes includes(FixedMomentOf(options));
            TDumpOptions dump;
            dump.Width = options.Number("--width", dump.Width, 1);
            dump.Png = PngPicturesOf(options);
            dump.As = FileTypeOf(options);
            RequireReadableFile(options.File);
            const TBatchApplication application;
            DumpPageFile(options.File, dump, out, includes.Handler());
            return 0;
        },
        err);
}
