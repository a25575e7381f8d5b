#pragma once
// TFontForm, the default font and colours dialog: a sample page in a viewer
// control shows at once what the chosen font, size, text colour, link colour
// and background look like. The document window fills it from its control
// and takes the values back when the user confirms.

#include "engine/base/Colors.h"

#include <QDialog>

#include <optional>
#include <string>

class QButtonGroup;
class QListWidget;
class QPushButton;
class QSpinBox;
class TErrorBox;
class THtmlPane;
class TImageCache;

// The name of a colour: the platform's colour name ("clBtnFace"), or "$" and
// eight upper-case hexadecimal digits.
std::string ColorToString(TColor color);
// The value of a colour name or "$" and hexadecimal digits; nothing when the
// text names no colour.
std::optional<TColor> StringToColor(const std::string& name);

class TFontForm : public QDialog {
    Q_OBJECT

public:
    static constexpr int kMinFontSize = 6;
    static constexpr int kMaxFontSize = 24;
    static constexpr int kInitialFontSize = 12;
    // Colour names put into the background list are cut to this length.
    static constexpr std::size_t kMaxColorNameLength = 80;

    TFontForm(TImageCache& imageCache, TErrorBox& errorBox, QWidget* parent = nullptr);

    // The selected font, or "System" when none is selected. Setting selects
    // the entry of that name (letter case ignored), or "System" when there
    // is none, while the sample takes the name as given.
    std::string FontName() const;
    void SetFontName(const std::string& name);
    int FontSize() const { return fontSize_; }
    void SetFontSize(int size);
    // Colours set by the program leave no mark in the grids.
    TColor FontColor() const { return fontColor_; }
    void SetFontColor(TColor color);
    TColor LinkColor() const { return linkColor_; }
    void SetLinkColor(TColor color);
    // The selected background, or the button face when none is selected or
    // its name does not convert. Setting adds a missing name to the list.
    TColor BackgroundColor() const;
    void SetBackgroundColor(TColor color);

    THtmlPane& Sample() const { return *sample_; }
    QListWidget& FontList() const { return *fontList_; }
    QListWidget& BackgroundList() const { return *backgroundList_; }
    QSpinBox& SizeBox() const { return *sizeBox_; }
    QButtonGroup& TextColorGrid() const { return *textColorGrid_; }
    QButtonGroup& LinkColorGrid() const { return *linkColorGrid_; }
    QPushButton& ResetButton() const { return *resetButton_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct TSnapshot {
        std::string FontName;
        TColor FontColor = 0;
        TColor LinkColor = 0;
        TColor Background = 0;
        int FontSize = 0;
    };

    QButtonGroup* CreateColorGrid(QWidget* box, void (TFontForm::*choose)(TColor));
    void FillFontList();
    void FillBackgroundList();
    void ChooseFontColor(TColor color);
    void ChooseLinkColor(TColor color);
    void Reset();

    THtmlPane* sample_;
    QButtonGroup* textColorGrid_;
    QButtonGroup* linkColorGrid_;
    QListWidget* fontList_;
    QListWidget* backgroundList_;
    QSpinBox* sizeBox_;
    QPushButton* resetButton_;
    int fontSize_ = kInitialFontSize;
    TColor fontColor_ = 0;
    TColor linkColor_ = 0;
    TSnapshot snapshot_;
};
