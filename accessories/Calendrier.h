#pragma once
// The calendar "Calendrier": one month as a grid of days under its name and
// year, stepped month by month. The shown month stays between openings.

#include <QDate>
#include <QDialog>

#include <string>

class QLabel;
class QTableWidget;

class TCalendrier : public QDialog {
    Q_OBJECT
public:
    explicit TCalendrier(QDate today = QDate::currentDate(), QWidget* parent = nullptr);

    // Its month is the one shown, its day the selected cell.
    QDate ShownDate() const { return mShownDate; }
    // "mmmmm  yyyy": French month name, two spaces, year (Windows-1252).
    const std::string& HeadingText() const { return mHeadingText; }
    // The day number shown in a grid cell, 0 for an empty cell.
    int DayAt(int row, int column) const;

    // Each opening writes the heading again.
    void FormActivate();
    void MonthBack();
    void MonthForward();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool StepMonthForKey(int key);
    void SetShownDate(QDate date);
    void FillGrid();
    void MarkSelectedDay();
    void SelectCell(int row, int column);

    QDate mShownDate;
    std::string mHeadingText;
    QLabel* mHeading = nullptr;
    QTableWidget* mGrid = nullptr;
};
