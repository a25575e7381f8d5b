#include "accessories/Horloge.h"

#include "accessories/ClockSetter.h"
#include "accessories/WindowColors.h"
#include "engine/base/Cp1252.h"
#include "engine/base/ErrorBox.h"

#include <QButtonGroup>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <array>
#include <charconv>

namespace {

// Interface texts (Windows-1252).
constexpr char kCaption[] = "Horloge";
constexpr char kSetCaption[] = "Set";
constexpr char kCloseCaption[] = "Fermer";
constexpr TCp1252Text kClockRefused("Impossible de régler l'horloge : opération non permise");
constexpr std::array<const char*, 5> kFieldCaptions = { "Hr", "Mn", "Jo", "Mo", "An" };

constexpr int kTickMilliseconds = 1000;

// Where each field sits in its display and how far it may go.
struct TFieldRule {
    bool inDate;
    std::size_t start; // first character, from 0
    std::size_t width;
    int lowest;
    int highest;
};
constexpr std::array<TFieldRule, 5> kFieldRules = { {
    { false, 0, 2, 0, 23 },     // hours
    { false, 3, 2, 0, 59 },     // minutes
    { true, 0, 2, 1, 31 },      // day, within the shown month's days
    { true, 3, 2, 1, 12 },      // month
    { true, 6, 4, 1900, 2099 }, // year
} };
constexpr int kCenturyBase = 1900; // a year shown below 100 is taken in the 1900s

// Window geometry, in pixels.
constexpr int kClientWidth = 250;
constexpr int kClientHeight = 176;

int ReadNumber(const std::string& text, std::size_t start, std::size_t width)
{
    int value = 0;
    if (start < text.size()) {
        const char* first = text.data() + start;
        std::from_chars(first, first + std::min(width, text.size() - start), value);
    }
    return value;
}

std::string Padded(int value, std::size_t width)
{
    std::string digits = std::to_string(value);
    return std::string(digits.size() < width ? width - digits.size() : 0, '0') + digits;
}

void WriteNumber(std::string& text, std::size_t start, std::size_t width, int value)
{
    if (start + width <= text.size())
        text.replace(start, width, Padded(value, width));
}

QLabel* AddDisplay(QWidget* parent, int y)
{
    auto* label = new QLabel(parent);
    label->setGeometry(0, y, kClientWidth, 32);
    label->setAlignment(Qt::AlignCenter);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(23);
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace

THorloge::THorloge(TClockSetter& clockSetter, TErrorBox& errorBox, TTimeSource timeSource, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint)
    , mClockSetter(clockSetter)
    , mErrorBox(errorBox)
    , mTimeSource(std::move(timeSource))
{
    setWindowTitle(Cp1252ToQString(kCaption));
    setFixedSize(kClientWidth, kClientHeight);

    auto* panel = new QFrame(this);
    panel->setGeometry(0, 0, kClientWidth, kClientHeight);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    SetBackground(panel, clBlack);
    SetTextColor(panel, clLime);

    mTimeLabel = AddDisplay(panel, 8);
    mDateLabel = AddDisplay(panel, 42);

    mFieldSelector = new QButtonGroup(this);
    for (std::size_t index = 0; index < kFieldCaptions.size(); ++index) {
        auto* choice = new QRadioButton(Cp1252ToQString(kFieldCaptions[index]), panel);
        choice->setGeometry(10 + static_cast<int>(index) * 46, 84, 44, 22);
        mFieldSelector->addButton(choice, static_cast<int>(index));
    }

    auto* upButton = new QToolButton(panel);
    upButton->setObjectName(QStringLiteral("up"));
    upButton->setArrowType(Qt::UpArrow);
    upButton->setGeometry(12, 120, 24, 18);
    connect(upButton, &QToolButton::clicked, this, [this] { Adjust(+1); });
    auto* downButton = new QToolButton(panel);
    downButton->setObjectName(QStringLiteral("down"));
    downButton->setArrowType(Qt::DownArrow);
    downButton->setGeometry(12, 138, 24, 18);
    connect(downButton, &QToolButton::clicked, this, [this] { Adjust(-1); });

    auto* setButton = new QPushButton(Cp1252ToQString(kSetCaption), panel);
    setButton->setGeometry(50, 124, 75, 28);
    connect(setButton, &QPushButton::clicked, this, &THorloge::SetClick);
    auto* closeButton = new QPushButton(Cp1252ToQString(kCloseCaption), panel);
    closeButton->setGeometry(kClientWidth - 87, 124, 75, 28);
    // Enter presses no button: a second Enter on "Set" would set the clock.
    for (QPushButton* button : {setButton, closeButton})
        button->setAutoDefault(false);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);

    mTimer = new QTimer(this);
    mTimer->setInterval(kTickMilliseconds);
    connect(mTimer, &QTimer::timeout, this, &THorloge::Timer1Timer);
}

bool THorloge::TimerRunning() const { return mTimer->isActive(); }

void THorloge::FormActivate()
{
    mTimer->start();
    ShowCurrentTime();
    SetEditMode(false);
}

void THorloge::SetEditMode(bool on)
{
    mEditMode = on;
    // The displays turn yellow, so that frozen figures are never taken for the time.
    for (QLabel* display : {mTimeLabel, mDateLabel})
        SetTextColor(display, on ? clYellow : clLime);
}

QColor THorloge::DisplayColor() const
{
    return mTimeLabel->palette().color(QPalette::WindowText);
}

void THorloge::FormDeactivate() { mTimer->stop(); }

void THorloge::Timer1Timer() { ShowCurrentTime(); }

void THorloge::ShowCurrentTime()
{
    const QDateTime local = mTimeSource.now().toTimeZone(mTimeSource.zone);
    const QDate date = local.date();
    const QTime time = local.time();
    mTimeText = Padded(time.hour(), 2) + ':' + Padded(time.minute(), 2) + ':' + Padded(time.second(), 2);
    mDateText = Padded(date.day(), 2) + '/' + Padded(date.month(), 2) + '/' + Padded(date.year(), 4);
    ShowTexts();
}

void THorloge::ShowTexts()
{
    mTimeLabel->setText(Cp1252ToQString(mTimeText));
    mDateLabel->setText(Cp1252ToQString(mDateText));
}

TClockField THorloge::ChosenField() const { return static_cast<TClockField>(mFieldSelector->checkedId()); }

void THorloge::Adjust(int step)
{
    const TClockField field = ChosenField();
    if (field == TClockField::None)
        return;
    const TFieldRule& rule = kFieldRules[static_cast<std::size_t>(field)];
    std::string& text = rule.inDate ? mDateText : mTimeText;
    int value = ShownField(field);
    if (field == TClockField::Year && value < 100)
        value += kCenturyBase;
    // A value already beyond a limit is left there, not pulled back to it.
    if (step > 0 && value < rule.highest)
        ++value;
    else if (step < 0 && value > rule.lowest)
        --value;
    WriteNumber(text, rule.start, rule.width, value);
    KeepDayInMonth();
    ShowTexts();
}

void THorloge::KeepDayInMonth()
{
    const int days = QDate(ShownField(TClockField::Year), ShownField(TClockField::Month), 1).daysInMonth();
    const TFieldRule& rule = kFieldRules[static_cast<std::size_t>(TClockField::Day)];
    if (days > 0 && ShownField(TClockField::Day) > days)
        WriteNumber(mDateText, rule.start, rule.width, days);
}

void THorloge::SetClick()
{
    if (!mEditMode) {
        SetEditMode(true);
        mTimer->stop();
        return;
    }
    SetEditMode(false);
    Modifie();
    mTimer->start();
}

int THorloge::ShownField(TClockField field) const
{
    const TFieldRule& rule = kFieldRules[static_cast<std::size_t>(field)];
    return ReadNumber(rule.inDate ? mDateText : mTimeText, rule.start, rule.width);
}

void THorloge::Modifie()
{
    const QDate date(ShownField(TClockField::Year), ShownField(TClockField::Month), ShownField(TClockField::Day));
    constexpr std::size_t kSecondsStart = 6;
    const QTime time(ShownField(TClockField::Hours), ShownField(TClockField::Minutes),
                     ReadNumber(mTimeText, kSecondsStart, 2));
    if (!date.isValid() || !time.isValid())
        return;
    const QDateTime local(date, time, mTimeSource.zone);
    if (local.isValid() && !mClockSetter.SetSystemClock(local.toUTC()))
        mErrorBox.ShowError(kClockRefused);
}

void THorloge::showEvent(QShowEvent* event)
{
    FormActivate();
    QDialog::showEvent(event);
}

void THorloge::hideEvent(QHideEvent* event)
{
    FormDeactivate();
    QDialog::hideEvent(event);
}
