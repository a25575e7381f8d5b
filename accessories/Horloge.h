#pragma once
// The clock "Horloge": shows the time and date every second and, in edit
// mode, lets the user adjust them field by field and set the computer's clock.

#include <QDateTime>
#include <QDialog>
#include <QTimeZone>

#include <functional>
#include <string>

class QButtonGroup;
class QLabel;
class QTimer;
class TClockSetter;
class TErrorBox;

// Where the clock reads the time: the current instant, and the zone in which
// the time is shown and in which the shown time is read back.
struct TTimeSource {
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTimeUtc(); };
    QTimeZone zone = QTimeZone::systemTimeZone();
};

enum class TClockField { None = -1, Hours, Minutes, Day, Month, Year };

class THorloge : public QDialog {
    Q_OBJECT
public:
    // A clock the system refuses to set is reported in the error box.
    THorloge(TClockSetter& clockSetter, TErrorBox& errorBox, TTimeSource timeSource = {}, QWidget* parent = nullptr);

    // "HH:mm:ss" and "dd/MM/yyyy", as shown (Windows-1252).
    const std::string& TimeText() const { return mTimeText; }
    const std::string& DateText() const { return mDateText; }
    bool EditMode() const { return mEditMode; }
    bool TimerRunning() const;

    // Opening starts the timer, shows the current time and leaves edit mode;
    // closing stops the timer. The window is modal, so these are its only
    // activations: coming back from another program keeps the adjustments.
    void FormActivate();
    void FormDeactivate();
    void Timer1Timer();
    // Sets the system clock from the shown date and time, read as local time
    // in the source's zone. A time that does not exist (skipped by summer
    // time) changes nothing.
    void Modifie();
    // The displays' colour: lime, yellow while the fields are being edited.
    QColor DisplayColor() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    TClockField ChosenField() const;
    int ShownField(TClockField field) const;
    void Adjust(int step);
    // The day is kept within the shown month's days.
    void KeepDayInMonth();
    void SetEditMode(bool on);
    void SetClick();
    void ShowCurrentTime();
    void ShowTexts();

    TClockSetter& mClockSetter;
    TErrorBox& mErrorBox;
    TTimeSource mTimeSource;
    std::string mTimeText;
    std::string mDateText;
    bool mEditMode = false;
    QLabel* mTimeLabel = nullptr;
    QLabel* mDateLabel = nullptr;
    QButtonGroup* mFieldSelector = nullptr;
    QTimer* mTimer = nullptr;
};
