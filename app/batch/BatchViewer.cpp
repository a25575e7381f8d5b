#include "app/batch/BatchViewer.h"

#include "app/batch/BatchOptions.h"
#include "app/files/PageIncludes.h"
#include "app/files/WholeFile.h"

#include "engine/base/Cp1252.h"
#include "engine/base/ErrorBox.h"
#include "engine/base/PhaseTimes.h"
#include "engine/viewer/HtmlPane.h"
#include "engine/images/ImageCache.h"
#include "engine/images/ImageLoader.h"
#include "engine/viewer/PaintPanel.h"
#include "engine/canvas/TextSinks.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPdfWriter>
#include <QScrollBar>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>

namespace {

constexpr int kDefaultWidth = 800;
constexpr int kDefaultHeight = 600;
// A saved picture is held whole in memory and drawn with the painter's 16-bit
// coordinates: it keeps to the pictures' own limits.
constexpr int kMaxPictureSide = 32767;

std::string PictureLimits()
{
    return "une image a au plus " + std::to_string(kMaxPictureSide) + " pixels de côté et " +
           std::to_string(kMaxStillPixels) + " pixels en tout";
}

bool PictureFits(std::int64_t width, std::int64_t height)
{
    return width <= kMaxPictureSide && height <= kMaxPictureSide && width * height <= kMaxStillPixels;
}

// Layout errors of a page go to standard error instead of a message box.
class TStreamErrorBox final : public TErrorBox {
public:
    explicit TStreamErrorBox(std::ostream& err) : err_(err) {}
    void ShowError(const std::string& message) override
    {
        err_ << "zefweb: " << Cp1252ToQString(message).toStdString() << '\n';
    }

private:
    std::ostream& err_;
};

// Writes the selection as it comes, in UTF-8, without the clipboard's limit:
// a copy of a large file never exists whole.
class TUtf8StreamSink final : public TTextSink {
public:
    explicit TUtf8StreamSink(std::ostream& out) : out_(out) {}
    void AddText(const char* text, int count) override
    {
        std::string kept(text, static_cast<std::size_t>(std::max(0, count)));
        std::erase_if(kept, [](char c) { return c == SelTextCount::kControlMark || c == SelTextCount::kImageMark; });
        const QByteArray utf8 = Cp1252ToQString(kept).toUtf8();
        out_.write(utf8.constData(), utf8.size());
        written_ += kept.size();
    }
    int Finish() override
    {
        out_.flush();
        return static_cast<int>(std::min<std::size_t>(written_, std::numeric_limits<int>::max()));
    }

private:
    std::ostream& out_;
    std::size_t written_ = 0;
};

void Load(THtmlPane& pane, const std::string& file, TViewedFileType type)
{
    // The name may end in "#" and an anchor.
    RequireReadableFile(file.substr(0, file.find('#')));
    switch (type) {
    case TViewedFileType::Html:
        pane.LoadHtmlFile(file);
        break;
    case TViewedFileType::Text:
        pane.LoadTextFile(file);
        break;
    case TViewedFileType::Image:
        pane.LoadImageFile(file);
        break;
    }
}

// Whether the pane gets a window of its own; the benchmark paints into
// images only, and a window's backing store would count in its memory.
enum class TPaneWindow : std::uint8_t { Real, None };

// A control of the given size, shown on the offscreen screen as the window
// shows it: images on, default fonts and colours, margins and bars, include
// comments answered as the window answers them; PNG pictures decoded only
// with --png, whatever the window's option says. Timed refreshes are not
// followed: the picture is the page as loaded.
struct TBatchPane {
    TBatchPane(std::ostream& err, const TBatchOptions& options, int width, int height, bool viewImages,
               TPaneWindow window = TPaneWindow::Real)
        : Includes(FixedMomentOf(options)), ErrorBox(err), Pane(Cache, ErrorBox)
    {
        Cache.SetPngPictures(PngPicturesOf(options));
        Pane.OnInclude = Includes.Handler();
        Pane.OnProcessing = [this](THtmlPane&, bool processingOn) {
            if (processingOn)
                Includes.StartPage();
        };
        Pane.SetViewImages(viewImages);
        Pane.resize(width, height);
        Pane.setAttribute(Qt::WA_DontShowOnScreen, window == TPaneWindow::None);
        // Painting goes to the benchmark's own images: no backing store.
        Pane.setUpdatesEnabled(window == TPaneWindow::Real);
        Pane.show();
        QApplication::processEvents();
    }
    TPageIncludes Includes;
    TImageCache Cache;
    TStreamErrorBox ErrorBox;
    THtmlPane Pane;
};

// The panel's current view painted as the panel paints it.
void PaintView(THtmlPane& pane)
{
    TPaintPanel& panel = pane.PaintPanel();
    QImage image(panel.size(), QImage::Format_RGB32);
    pane.PaintPanelInto(image, QRect(QPoint(0, 0), panel.size()));
}

} // namespace

int RenderCommand(const std::vector<std::string>& arguments, std::ostream&, std::ostream& err)
{
    return ReportErrors(
        [&] {
            const TBatchOptions options = ParseBatchOptions(
                arguments, {"--output", "--width", "--height", "--as", "--scroll", "--date", "--zoom"},
                {"--full", "--no-images", "--png"});
            const std::optional<std::string> output = options.Value("--output");
            if (!output)
                throw EUsage("--render attend --output FICHIER.png");
            const int width = options.Number("--width", kDefaultWidth, 1);
            const int height = options.Number("--height", kDefaultHeight, 1);
            if (!PictureFits(width, height))
                throw EUsage("--width et --height : " + PictureLimits());
            const TViewedFileType type = FileTypeOf(options);
            const TBatchApplication application;
            TBatchPane batch(err, options, width, height, !options.Has("--no-images"));
            THtmlPane& pane = batch.Pane;
            pane.SetZoomPercent(ZoomPercentOf(options));
            Load(pane, options.File, type);
            if (options.Has("--full")) {
                // Tall enough that the whole page fits without a vertical bar;
                // the width, and so the layout, stays.
                const int fullHeight = std::max(height, pane.Zoom().ToScreen(pane.DocHeight()) + 3);
                if (!PictureFits(width, fullHeight)) {
                    err << "zefweb: --full : la page fait " << fullHeight << " pixels de haut et "
                        << PictureLimits() << " ; --scroll et --height en dessinent une partie\n";
                    return 1;
                }
                pane.resize(width, fullHeight);
                pane.ScrollTo(0);
            } else if (options.Value("--scroll")) {
                pane.SetVScrollPos(options.Number("--scroll", 0, 0));
            }
            QApplication::processEvents();
            const QImage picture = pane.grab().toImage();
            // Written as every save of the program is: whole, and only over a regular file.
            QByteArray png;
            QBuffer buffer(&png);
            if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG"))
                throw std::runtime_error("impossible d'enregistrer " + *output);
            if (const std::optional<std::string> failure =
                    WriteFileAtomically(*output, std::string_view(png.constData(), static_cast<std::size_t>(png.size()))))
                throw std::runtime_error(*failure);
            return 0;
        },
        err);
}

int PdfCommand(const std::vector<std::string>& arguments, std::ostream&, std::ostream& err)
{
    return ReportErrors(
        [&] {
            const TBatchOptions options =
                ParseBatchOptions(arguments, {"--output", "--paper", "--as", "--date"}, {"--png", "--background"});
            const std::optional<std::string> output = options.Value("--output");
            if (!output)
                throw EUsage("--pdf attend --output FICHIER.pdf");
            const std::optional<QPageSize> paper = PaperSizeNamed(options.Value("--paper").value_or("A4"));
            if (!paper)
                throw EUsage("--paper attend A4 ou Letter");
            const TViewedFileType type = FileTypeOf(options);
            const TBatchApplication application;
            TBatchPane batch(err, options, kDefaultWidth, kDefaultHeight, true, TPaneWindow::None);
            THtmlPane& pane = batch.Pane;
            Load(pane, options.File, type);
            QByteArray pdf;
            QBuffer buffer(&pdf);
            buffer.open(QIODevice::WriteOnly);
            {
                QPdfWriter writer(&buffer);
                SetUpPdfWriter(writer, *paper, Cp1252ToQString(pane.DocumentTitle()));
                TPrintOptions print;
                print.Background = options.Has("--background");
                if (const std::optional<QString> failure = pane.Print(writer, print))
                    throw std::runtime_error(QStringToCp1252(
                        QStringLiteral("impossible d'écrire %1 : %2").arg(QString::fromStdString(*output), *failure)));
            }
            if (const std::optional<std::string> failure =
                    WriteFileAtomically(*output, std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size()))))
                throw std::runtime_error(*failure);
            return 0;
        },
        err);
}

int TextCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    return ReportErrors(
        [&] {
            const TBatchOptions options = ParseBatchOptions(arguments, {"--as", "--width", "--date"}, {"--png"});
            const int width = options.Number("--width", kDefaultWidth, 1);
            const TViewedFileType type = FileTypeOf(options);
            const TBatchApplication application;
            TBatchPane batch(err, options, width, kDefaultHeight, true);
            THtmlPane& pane = batch.Pane;
            Load(pane, options.File, type);
            pane.SelectAll();
            TSectionList& document = pane.Document();
            TUtf8StreamSink sink(out);
            document.CopySelection(sink);
            sink.Finish();
            return 0;
        },
        err);
}

int BenchCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    return ReportErrors(
        [&] {
            const TBatchOptions options =
                ParseBatchOptions(arguments, {"--width", "--repeat", "--as", "--find", "--date", "--zoom"}, {"--png"});
            const int width = options.Number("--width", kDefaultWidth, 101);
            const int repeat = options.Number("--repeat", 5, 1);
            const TViewedFileType type = FileTypeOf(options);
            const std::optional<std::string> searched = options.Value("--find");
            const int zoom = ZoomPercentOf(options);
            // The zoom phase goes a step away from the zoom asked for.
            const int otherZoom = zoom == TZoom::kMaxPercent ? TZoom::StepDown(zoom) : TZoom::StepUp(zoom);
            RequireReadableFile(options.File);
            const TBatchApplication application;
            TPhaseTimes times;
            // One control for every run, as a window shows page after page:
            // each build clears the page the run before left.
            TBatchPane batch(err, options, width, kDefaultHeight, true, TPaneWindow::None);
            THtmlPane& pane = batch.Pane;
            THtmlHandlers handlers;
            handlers.OnInclude = pane.OnInclude;
            for (int run = 0; run < repeat; ++run) {
                // A search starts where the last one ended: from the top of an
                // empty control.
                if (searched)
                    pane.Clear();
                batch.Includes.StartPage();
                pane.resize(width, kDefaultHeight);
                pane.SetZoomPercent(zoom);

                times.Start();
                pane.Page().Clear();
                THtmlBuilder builder;
                builder.ParseFile(pane.Page().Parts(), options.File, type, handlers);
                times.Record("build");

                times.Start();
                pane.DoLayout();
                times.Record("layout");

                pane.ScrollTo(0);
                times.Start();
                PaintView(pane);
                times.Record("paint-top");

                if (searched) {
                    times.Start();
                    if (!pane.Find(QStringToCp1252(QString::fromStdString(*searched)), false))
                        throw std::runtime_error("introuvable : " + *searched);
                    times.Record("find");
                }

                times.Start();
                pane.resize(width - 100, kDefaultHeight);
                times.Record("relayout");

                times.Start();
                pane.SetZoomPercent(otherZoom);
                times.Record("zoom");

                pane.ScrollTo(pane.DocHeight());
                times.Start();
                PaintView(pane);
                times.Record("paint-bottom");
                // What the window's event loop does once a page is shown.
                QApplication::processEvents();
            }
            times.Print(out, {"build", "layout", "paint-top", "find", "relayout", "zoom", "paint-bottom"});
            return 0;
        },
        err);
}
