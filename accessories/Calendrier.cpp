#include "accessories/Calendrier.h"

#include "accessories/WindowColors.h"
#include "engine/base/Cp1252.h"

#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>

#include <array>

namespace {

// Interface texts (Windows-1252).
constexpr char kCaption[] = "Calendrier";
constexpr char kMonthCaption[] = "Mois";
constexpr char kCloseCaption[] = "Fermer";
constexpr std::array<TCp1252Text<10>, 12> kMonthNames = {
    "Janvier", "Février", "Mars",      "Avril",   "Mai",      "Juin",
    "Juillet", "Août",    "Septembre", "Octobre", "Novembre", "Décembre",
};
// Weeks begin on Sunday.
constexpr std::array<const char*, 7> kDayNames = { "dim.", "lun.", "mar.", "mer.", "jeu.", "ven.", "sam." };
constexpr char kHeadingGap[] = "  ";

constexpr int kWeekRows = 6; // a month touches at most six weeks
constexpr int kDaysInWeek = 7;
constexpr TColor kGridColor = RGB(0xC0, 0xDC, 0xC0); // light green

// Window geometry, in pixels.
constexpr int kClientWidth = 300;
constexpr int kPanelHeight = 96;
constexpr int kGridHeight = 184;

QPushButton* AddButton(QWidget* parent, const char* caption, int x)
{
    auto* button = new QPushButton(Cp1252ToQString(caption), parent);
    button->setGeometry(x, 58, 84, 28);
    return button;
}

// Sunday is column 0.
int WeekdayColumn(QDate date) { return date.dayOfWeek() % kDaysInWeek; }

} // namespace

TCalendrier::TCalendrier(QDate today, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint)
    , mShownDate(today)
{
    setWindowTitle(Cp1252ToQString(kCaption));
    setFixedSize(kClientWidth, kPanelHeight + kGridHeight);

    auto* panel = new QFrame(this);
    panel->setGeometry(0, 0, kClientWidth, kPanelHeight);
    SetBackground(panel, clTeal);

    mHeading = new QLabel(panel);
    mHeading->setGeometry(0, 8, kClientWidth, 40);
    mHeading->setAlignment(Qt::AlignCenter);
    QFont headingFont(QStringLiteral("Arial"));
    headingFont.setPixelSize(23);
    headingFont.setBold(true);
    mHeading->setFont(headingFont);
    SetTextColor(mHeading, clRed);

    auto* backButton = AddButton(panel, kMonthCaption, 10);
    backButton->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
    connect(backButton, &QPushButton::clicked, this, &TCalendrier::MonthBack);
    auto* forwardButton = AddButton(panel, kMonthCaption, 108);
    forwardButton->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    forwardButton->setLayoutDirection(Qt::RightToLeft); // the picture on the right
    connect(forwardButton, &QPushButton::clicked, this, &TCalendrier::MonthForward);
    auto* closeButton = AddButton(panel, kCloseCaption, kClientWidth - 94);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);

    mGrid = new QTableWidget(kWeekRows, kDaysInWeek, this);
    mGrid->setGeometry(0, kPanelHeight, kClientWidth, kGridHeight);
    SetBackground(mGrid, kGridColor);
    mGrid->verticalHeader()->hide();
    mGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    mGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    mGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    mGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int column = 0; column < kDaysInWeek; ++column)
        mGrid->setHorizontalHeaderItem(column, new QTableWidgetItem(Cp1252ToQString(kDayNames[column])));
    connect(mGrid, &QTableWidget::currentCellChanged, this, [this](int row, int column) { SelectCell(row, column); });
    mGrid->installEventFilter(this);
    mGrid->setFocus();

    SetShownDate(mShownDate);
}

int TCalendrier::DayAt(int row, int column) const
{
    const QTableWidgetItem* item = mGrid->item(row, column);
    return item != nullptr ? item->data(Qt::UserRole).toInt() : 0;
}

void TCalendrier::FormActivate() { SetShownDate(mShownDate); }

void TCalendrier::MonthBack()
{
    const QDate lastOfPrevious = QDate(mShownDate.year(), mShownDate.month(), 1).addDays(-1);
    SetShownDate(QDate(lastOfPrevious.year(), lastOfPrevious.month(), std::min(mShownDate.day(), lastOfPrevious.day())));
}

void TCalendrier::MonthForward()
{
    const QDate firstOfNext = QDate(mShownDate.year(), mShownDate.month(), mShownDate.daysInMonth()).addDays(1);
    SetShownDate(QDate(firstOfNext.year(), firstOfNext.month(), std::min(mShownDate.day(), firstOfNext.daysInMonth())));
}

void TCalendrier::SetShownDate(QDate date)
{
    mShownDate = date;
    mHeadingText = std::string(kMonthNames[date.month() - 1]) + kHeadingGap + std::to_string(date.year());
    mHeading->setText(Cp1252ToQString(mHeadingText));
    FillGrid();
}

void TCalendrier::FillGrid()
{
    const QSignalBlocker blocker(mGrid);
    mGrid->clearContents();
    const QDate first(mShownDate.year(), mShownDate.month(), 1);
    const int offset = WeekdayColumn(first);
    for (int day = 1; day <= mShownDate.daysInMonth(); ++day) {
        const int cell = offset + day - 1;
        auto* item = new QTableWidgetItem(QString::number(day));
        item->setData(Qt::UserRole, day);
        item->setTextAlignment(Qt::AlignCenter);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        mGrid->setItem(cell / kDaysInWeek, cell % kDaysInWeek, item);
    }
    MarkSelectedDay();
}

void TCalendrier::MarkSelectedDay()
{
    const QSignalBlocker blocker(mGrid);
    const int cell = WeekdayColumn(QDate(mShownDate.year(), mShownDate.month(), 1)) + mShownDate.day() - 1;
    mGrid->setCurrentCell(cell / kDaysInWeek, cell % kDaysInWeek);
}

// A click or an arrow key on a day selects it; empty cells keep the day.
void TCalendrier::SelectCell(int row, int column)
{
    const int day = DayAt(row, column);
    if (day == 0) {
        MarkSelectedDay();
        return;
    }
    mShownDate = QDate(mShownDate.year(), mShownDate.month(), day);
}

bool TCalendrier::StepMonthForKey(int key)
{
    if (key == Qt::Key_PageUp)
        MonthBack();
    else if (key == Qt::Key_PageDown)
        MonthForward();
    else
        return false;
    return true;
}

void TCalendrier::showEvent(QShowEvent* event)
{
    FormActivate();
    QDialog::showEvent(event);
}

// The grid would scroll on Page Up and Page Down; they step the month instead.
bool TCalendrier::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mGrid && event->type() == QEvent::KeyPress && StepMonthForKey(static_cast<QKeyEvent*>(event)->key()))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TCalendrier::keyPressEvent(QKeyEvent* event)
{
    if (!StepMonthForKey(event->key()))
        QDialog::keyPressEvent(event);
}
