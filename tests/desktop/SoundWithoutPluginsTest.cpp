// Sounds on a machine whose GStreamer has no plugins at all, as a fresh
// Debian has: the sound module refuses once, nothing crashes, and a page with
// a background sound shows as usual. GStreamer looks for its plugins when it
// first starts, so this program hides them before any test runs.

#include "tests/window/ShellFixture.h"

#include "engine/viewer/PaintPanel.h"

#include <QDeadlineTimer>
#include <QMouseEvent>
#include <QThread>

#include <sstream>

namespace {

class THiddenGStreamerPlugins final : public testing::Environment {
public:
    void SetUp() override
    {
        Folder = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(Folder->isValid());
        ASSERT_TRUE(QDir(Folder->path()).mkdir("plugins"));
        const QByteArray plugins = QFile::encodeName(Folder->filePath("plugins"));
        qputenv("GST_PLUGIN_SYSTEM_PATH_1_0", plugins);
        qputenv("GST_PLUGIN_PATH_1_0", plugins);
        qputenv("GST_REGISTRY_1_0", QFile::encodeName(Folder->filePath("registry.bin")));
    }

private:
    std::unique_ptr<QTemporaryDir> Folder;
};

const testing::Environment* const kHiddenPlugins = testing::AddGlobalTestEnvironment(new THiddenGStreamerPlugins);

// A second of silence as 8 kHz mono 8-bit PCM: a sound a player would accept.
std::string SilentWave()
{
    const auto little = [](std::uint32_t value, int bytes) {
        std::string text;
        for (int byte = 0; byte < bytes; ++byte)
            text += static_cast<char>((value >> (8 * byte)) & 0xFF);
        return text;
    };
    constexpr std::uint32_t kRate = 8000;
    return "RIFF" + little(36 + kRate, 4) + "WAVEfmt " + little(16, 4) + little(1, 2) + little(1, 2) +
           little(kRate, 4) + little(kRate, 4) + little(1, 2) + little(8, 2) + "data" + little(kRate, 4) +
           std::string(kRate, '\x80');
}

void RunEventsFor(int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
}

void LeftClick(THtmlPane& pane, QPoint point)
{
    QWidget& panel = pane.PaintPanel();
    const QPointF global = panel.mapToGlobal(QPointF(point));
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        QMouseEvent event(type, QPointF(point), global, Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(&panel, &event);
    }
}

} // namespace

// The shell on the real desktop, which outlives it.
class SoundWithoutPlugins : public ShellTest {
protected:
    std::ostringstream Err;
    std::unique_ptr<TDesktop> RealDesktop = MakeQtDesktop({ZEF_SOUND_MODULE_FILE}, Err);

    long LinesSaid() const
    {
        const std::string said = Err.str();
        return std::count(said.begin(), said.end(), '\n');
    }
};

TEST_F(SoundWithoutPlugins, ABackgroundSoundPageShowsAndSoundIsRefusedOnce)
{
    ASSERT_NE(kHiddenPlugins, nullptr);
    StartWith(*RealDesktop);
    Write("fond.wav", SilentWave());
    Write("clic.wav", SilentWave());
    const std::string page = Write("musique.htm", "<title>Musique</title><a href=\"clic.wav\">xxxxxxxxxxxxxxxxxxxx</a>"
                                                  "<bgsound src=\"fond.wav\" loop=-1><p>Bienvenue</p>");
    OpenThroughDialog(page);
    RunEventsFor(300);
    LeftClick(Pane(), QPoint(30, 14));
    RunEventsFor(300);

    EXPECT_EQ(Pane().CurrentFile(), page);
    EXPECT_EQ(Main().windowTitle(), "Zef Web - Musique");
    const std::string said = Err.str();
    EXPECT_EQ(LinesSaid(), 1) << said;
    EXPECT_NE(said.find("module de son refus"), std::string::npos) << said;
    EXPECT_NE(said.find("playbin"), std::string::npos) << said;

    // The next page closes the refused device without a word.
    OpenThroughDialog(Write("suite.htm", "<title>Suite</title>fin"));
    RunEventsFor(100);
    EXPECT_EQ(Main().windowTitle(), "Zef Web - Suite");
    EXPECT_EQ(LinesSaid(), 1);
}
