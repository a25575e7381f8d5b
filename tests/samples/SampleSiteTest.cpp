// Walks the sample site from its start page with a real viewer control, as a
// reader following every link would: each page is loaded, laid out and
// painted; its links, image-map areas and timed refresh lead to the next
// pages; every picture must have decoded. Includes and refreshes are found as
// the document window finds them, and the walk runs from another folder than
// the site's, as `./run samples/index.html` does from the repository root.

#include "tests/TestSupport.h"

#include "app/files/PageIncludes.h"

#include "engine/base/ErrorBox.h"
#include "engine/viewer/HtmlPane.h"
#include "engine/tables/HtmlTable.h"
#include "engine/images/ImageCache.h"
#include "engine/text/ImageObj.h"
#include "engine/lexer/LinkNames.h"
#include "engine/viewer/PaintPanel.h"
#include "engine/text/Section.h"
#include "engine/layout/SectionList.h"

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <cctype>
#include <deque>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Placeholders the images page shows on purpose: a PNG, which the viewer
// recognises but does not decode, and an IMG without SRC that shows its ALT box.
constexpr std::string_view kUndecodedPicture = "images/rond.png";
constexpr std::string_view kAltBoxText = "Ici viendra une photo de vacances";

class TFailingErrorBox final : public TErrorBox {
public:
    void ShowError(const std::string& message) override { Messages.push_back(message); }
    std::vector<std::string> Messages;
};

// Makes a folder current for the walk and goes back afterwards.
class TCurrentFolder {
public:
    explicit TCurrentFolder(const fs::path& folder) : saved_(fs::current_path()) { fs::current_path(folder); }
    ~TCurrentFolder() { fs::current_path(saved_); }
    TCurrentFolder(const TCurrentFolder&) = delete;
    TCurrentFolder& operator=(const TCurrentFolder&) = delete;

private:
    fs::path saved_;
};

std::string UpperExtension(const std::string& fileName)
{
    std::string extension = fs::path(fileName).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return extension;
}

bool IsPageName(const std::string& fileName)
{
    const std::string extension = UpperExtension(fileName);
    return extension == ".HTM" || extension == ".HTML";
}

bool IsPictureName(const std::string& fileName)
{
    constexpr std::string_view kPictures[] = {".BMP", ".GIF", ".JPG", ".JPEG", ".PNG"};
    return std::find(std::begin(kPictures), std::end(kPictures), UpperExtension(fileName)) != std::end(kPictures);
}

// One file to show: a page (perhaps at an anchor), a lone picture or a text file.
struct TVisit {
    std::string File; // full name
    TViewedFileType Type = TViewedFileType::Html;
    std::string Anchor; // "#name" or empty
    std::string From;   // what led here, for messages

    std::string Key() const { return File + Anchor + static_cast<char>('0' + static_cast<int>(Type)); }
};

// What a page offers to follow, gathered from its document.
struct TPageContents {
    std::vector<std::string> Links;
    std::vector<const TImageObj*> Images;
};

class TSiteWalker {
public:
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;

    explicit TSiteWalker(const fs::path& site) : site_(fs::canonical(site)), pane_(cache_, errors_)
    {
        pane_.SetViewImages(true);
        pane_.SetHistoryMaxCount(10);
        pane_.resize(kWidth, kHeight);
        pane_.show();
        pane_.OnInclude = [this](const std::string& command, std::vector<std::string> params,
                                 const std::string& pageFile) { return Include(command, params, pageFile); };
        pane_.OnMetaRefresh = [this](THtmlPane&, int, const std::string& url) { refreshUrl_ = url; };
    }

    // Walks from the start files; returns one line per fault found.
    std::vector<std::string> Walk(const std::vector<TVisit>& starts)
    {
        const TCurrentFolder current(elsewhere_.path().toStdString());
        for (const TVisit& start : starts)
            queue_.push_back({(site_ / start.File).string(), start.Type, start.Anchor, "start"});
        while (!queue_.empty()) {
            const TVisit visit = queue_.front();
            queue_.pop_front();
            if (visited_.insert(visit.Key()).second)
                Visit(visit);
        }
        return faults_;
    }

    // Site-relative names of the pages shown and of the files included.
    const std::set<std::string>& PagesShown() const { return pagesShown_; }
    const std::set<std::string>& FilesIncluded() const { return filesIncluded_; }

private:
    std::string Relative(const std::string& file) const
    {
        return fs::path(file).lexically_relative(site_).generic_string();
    }

    void Fault(const TVisit& visit, const std::string& problem)
    {
        faults_.push_back(Relative(visit.File) + visit.Anchor + " (from " + visit.From + "): " + problem);
    }

    void Visit(const TVisit& visit)
    {
        errors_.Messages.clear();
        refreshUrl_.clear();
        loading_ = Relative(visit.File);
        if (!Load(visit))
            return;
        for (const std::string& message : errors_.Messages)
            Fault(visit, "layout error \"" + message + "\"");
        if (!visit.Anchor.empty() && !pane_.ScrollToAnchor(visit.Anchor))
            Fault(visit, "no such anchor");
        if (visit.Type == TViewedFileType::Html)
            pagesShown_.insert(Relative(visit.File));
        CheckPainting(visit);

        TPageContents contents;
        Collect(pane_.Document(), contents);
        for (const auto& map : pane_.Document().MapList)
            for (const TMapArea& area : map->Areas)
                if (!area.Link.empty())
                    contents.Links.push_back(area.Link);
        for (const TImageObj* image : contents.Images)
            CheckPicture(visit, *image);
        CheckBackground(visit);
        const std::string from = Relative(visit.File);
        for (const std::string& link : contents.Links)
            Follow(visit, from, link);
        if (!refreshUrl_.empty())
            FollowRefresh(visit, from);
    }

    bool Load(const TVisit& visit)
    {
        try {
            switch (visit.Type) {
            case TViewedFileType::Html:
                pane_.LoadHtmlFile(visit.File);
                break;
            case TViewedFileType::Text:
                pane_.LoadTextFile(visit.File);
                break;
            case TViewedFileType::Image:
                pane_.LoadImageFile(visit.File);
                break;
            }
        } catch (const std::exception& error) {
            Fault(visit, std::string("cannot be loaded: ") + error.what());
            return false;
        }
        if (pane_.CurrentFile() != visit.File) {
            Fault(visit, "the viewer shows " + pane_.CurrentFile() + " instead");
            return false;
        }
        return true;
    }

    // The view as the panel paints it must show more than the background.
    void CheckPainting(const TVisit& visit)
    {
        QApplication::processEvents();
        TPaintPanel& panel = pane_.PaintPanel();
        if (panel.width() <= 0 || panel.height() <= 0 || pane_.DocHeight() <= 0) {
            Fault(visit, "nothing to paint");
            return;
        }
        QImage picture(panel.size(), QImage::Format_RGB32);
        picture.fill(Qt::black);
        pane_.PaintPanelInto(picture, QRect(QPoint(0, 0), panel.size()));
        const QRgb first = picture.pixel(0, 0);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (picture.pixel(x, y) != first)
                    return;
        Fault(visit, "paints as one flat colour");
    }

    void Collect(const TCell& cell, TPageContents& contents) const
    {
        for (const auto& item : cell.Items) {
            if (const auto* table = dynamic_cast<const ThtmlTable*>(item.get())) {
                Collect(table->Caption.Cell, contents);
                for (const auto& row : table->Rows)
                    for (const auto& tableCell : row->Cells)
                        Collect(tableCell->Cell, contents);
            } else if (const auto* section = dynamic_cast<const TSection*>(item.get())) {
                // A linked picture's link is the link of the run at its mark.
                for (const auto& run : section->Fonts())
                    if (!run->Link.Url.empty())
                        contents.Links.push_back(run->Link.Url);
                for (const auto& image : section->Images())
                    contents.Images.push_back(image.get());
            }
        }
    }

    void CheckPicture(const TVisit& visit, const TImageObj& image)
    {
        if (image.Kind == TPictureKind::Bitmap || image.Kind == TPictureKind::Animated)
            return;
        const std::string source = image.Source.empty() ? std::string() : Relative(pane_.ExpandLinkName(image.Source));
        if (source == kUndecodedPicture || (image.Source.empty() && image.AltText == kAltBoxText))
            return;
        Fault(visit, "picture \"" + source + "\" (ALT \"" + image.AltText + "\") shows a placeholder");
    }

    void CheckBackground(const TVisit& visit)
    {
        TSectionList& document = pane_.Document();
        if (!document.BackgroundImageName.empty() && document.BackgroundBitmap().isNull())
            Fault(visit, "background picture \"" + document.BackgroundImageName + "\" cannot be shown");
    }

    // As a click does: an anchor of the same page scrolls, a page or a
    // picture is shown; the viewer follows nothing else.
    void Follow(const TVisit& visit, const std::string& from, const std::string& link)
    {
        const std::size_t hash = link.find('#');
        const std::string anchor = hash == std::string::npos ? std::string() : link.substr(hash);
        if (hash == 0) {
            queue_.push_back({visit.File, visit.Type, anchor, from});
            return;
        }
        const std::string file = pane_.ExpandLinkName(link.substr(0, hash));
        if (!IsPageName(file) && !IsPictureName(file)) {
            Fault(visit, "link \"" + link + "\" leads nowhere the viewer goes");
            return;
        }
        if (!fs::is_regular_file(file)) {
            Fault(visit, "link \"" + link + "\" names a missing file");
            return;
        }
        queue_.push_back({file, IsPageName(file) ? TViewedFileType::Html : TViewedFileType::Image,
                          IsPageName(file) ? anchor : std::string(), from});
    }

    // The document window loads the refresh target, found as an included
    // file is, only when that file exists.
    void FollowRefresh(const TVisit& visit, const std::string& from)
    {
        const fs::path target = LocateFileNamedByPage(LinkToPath(refreshUrl_), visit.File);
        if (!fs::is_regular_file(target)) {
            Fault(visit, "refresh to \"" + refreshUrl_ + "\" names a missing file");
            return;
        }
        queue_.push_back({fs::absolute(target).lexically_normal().string(), TViewedFileType::Html, {},
                          from + " (refresh)"});
    }

    // Serves includes as the document window does, noting the files.
    std::string Include(const std::string& command, const std::vector<std::string>& params,
                        const std::string& pageFile)
    {
        const std::string text = includes_.Answer(command, params, pageFile);
        std::string upper = command;
        std::transform(upper.begin(), upper.end(), upper.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        constexpr std::string_view kFileParameter = "FILE=\"";
        if (upper != "INCLUDE" || params.empty() || !params.front().starts_with(kFileParameter))
            return text;
        std::string name = params.front().substr(kFileParameter.size());
        name.resize(std::min(name.size(), name.find('"')));
        const fs::path file = LocateFileNamedByPage(name, pageFile);
        if (!fs::is_regular_file(file))
            faults_.push_back(loading_ + ": included file \"" + name + "\" is missing");
        else
            filesIncluded_.insert(Relative(fs::absolute(file).lexically_normal().string()));
        return text;
    }

    fs::path site_;
    QTemporaryDir elsewhere_; // the current folder during the walk
    TPageIncludes includes_;
    TImageCache cache_;
    TFailingErrorBox errors_;
    THtmlPane pane_;
    std::deque<TVisit> queue_;
    std::set<std::string> visited_;
    std::vector<std::string> faults_;
    std::set<std::string> pagesShown_;
    std::set<std::string> filesIncluded_;
    std::string refreshUrl_;
    std::string loading_; // the page being read, for include faults
};

std::string Lines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += "  " + line + '\n';
    return text;
}

fs::path SampleSite()
{
    return TestsDir() / ".." / "samples";
}

void WriteFile(const fs::path& path, std::string_view bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

} // namespace

TEST(SampleSite, EveryLinkPictureAndPageWorksFromTheStartPage)
{
    TSiteWalker walker(SampleSite());
    // The text file is opened through the open dialog, as the start page says.
    const std::vector<std::string> faults =
        walker.Walk({{"index.html", TViewedFileType::Html, {}, {}}, {"lisezmoi.txt", TViewedFileType::Text, {}, {}}});
    EXPECT_TRUE(faults.empty()) << Lines(faults);

    // Every page of the site is reached, except those only included into others.
    std::set<std::string> unreached;
    for (const auto& entry : fs::directory_iterator(SampleSite()))
        if (IsPageName(entry.path().string()))
            unreached.insert(entry.path().filename().string());
    for (const std::string& page : walker.PagesShown())
        unreached.erase(page);
    for (const std::string& file : walker.FilesIncluded())
        unreached.erase(file);
    EXPECT_EQ(unreached, std::set<std::string>{});
    EXPECT_EQ(walker.FilesIncluded(), std::set<std::string>{"inclus.htm"});
}

// The walk must see the faults it is there to catch.
TEST(SampleSite, WalkReportsBrokenLinksPicturesAnchorsIncludesAndRefreshes)
{
    QTemporaryDir folder;
    const fs::path site = folder.path().toStdString();
    WriteFile(site / "images" / "bad.gif", "GIF89a broken");
    WriteFile(site / "suite.htm", "<p>Suite</p>");
    WriteFile(site / "vide.htm", "<title>Vide</title>");
    WriteFile(site / "index.htm", "<meta http-equiv=refresh content=\"2; url=parti.htm\">"
                                  "<p><a href=\"absent.htm\">absent</a> <a href=\"suite.htm#nulle\">ancre</a>"
                                  " <a href=\"notes.doc\">notes</a> <a href=\"vide.htm\">vide</a>"
                                  " <img src=\"images/bad.gif\" alt=\"cassee\">"
                                  " <!--#INCLUDE FILE=\"perdu.htm\"--></p>");
    TSiteWalker walker(site);
    const std::vector<std::string> faults = walker.Walk({{"index.htm", TViewedFileType::Html, {}, {}}});
    const std::string report = Lines(faults);
    EXPECT_EQ(faults.size(), 7U) << report;
    for (const char* expected : {"\"absent.htm\" names a missing file",
                                 "suite.htm#nulle (from index.htm): no such anchor", "\"notes.doc\" leads nowhere",
                                 "picture \"images/bad.gif\"",
                                 "included file \"perdu.htm\" is missing", "refresh to \"parti.htm\"",
                                 "vide.htm (from index.htm): paints as one flat colour"})
        EXPECT_NE(report.find(expected), std::string::npos) << expected << '\n' << report;
}
