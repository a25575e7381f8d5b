#include "app/window/FontForm.h"

#include "engine/base/Cp1252.h"
#include "engine/viewer/HtmlPane.h"

#include <QButtonGroup>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>

namespace {

// Windows-1252.
constexpr const char* kCaption = "Police et couleurs par défaut";
constexpr const char* kTextColor = "Couleur texte";
constexpr const char* kLinkColor = "Couleur liens";
constexpr const char* kFontLabel = "&Police";
constexpr const char* kBackgroundLabel = "&Fond";
constexpr const char* kSizeLabel = "Taille";
constexpr const char* kReset = "&Reset";
constexpr const char* kOk = "O&K";
constexpr const char* kCancel = "Annuler";
constexpr const char* kSystemFont = "System";
constexpr const char* kSamplePage =
    "<center><h1>Heading</h1></center><ul>Some normal text.<li><a href=NoWhere>HotSpot Item</a>"
    "<li><b>Bold Text</b><li><i>Italicized Text</i><li><code>Code Text</code></ul> <hr>";

struct TColorName {
    TColor Value;
    const char* Name;
};

// The platform's colour names, in their order: the sixteen standard colours
// (the colour grids), the system colours, then clNone and clDefault.
constexpr std::array<TColorName, 43> kColorNames{{
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
}};
// The usual Windows names, which fontconfig gives to the metric-compatible
// fonts beside them. Pages and the default settings use these names, so the
// list offers them whenever their stand-in is installed; otherwise confirming
// the dialog would quietly turn "Times New Roman" into "System".
struct TFontStandIn {
    const char* Name;
    const char* Family;
};
constexpr std::array<TFontStandIn, 3> kFontStandIns{{
    {"Times New Roman", "Liberation Serif"},
    {"Arial", "Liberation Sans"},
    {"Courier New", "Liberation Mono"},
}};

constexpr int kGridColors = 16;
constexpr int kGridColumns = 4;
constexpr int kSwatchSize = 16;

constexpr int kSampleWidth = 300;
constexpr int kSampleHeight = 220;
constexpr int kListWidth = 170;

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool IsNegative(TColor color)
{
    return static_cast<std::int32_t>(color) < 0;
}

// The chosen swatch carries a black and a white frame, one of which stands
// out on any colour: a sunken button alone can hardly be seen.
QIcon Swatch(TColor color)
{
    const QColor fill(RedOf(color), GreenOf(color), BlueOf(color));
    QPixmap plain(kSwatchSize, kSwatchSize);
    plain.fill(fill);
    QPixmap marked = plain;
    QPainter painter(&marked);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, kSwatchSize - 1, kSwatchSize - 1);
    painter.drawRect(2, 2, kSwatchSize - 5, kSwatchSize - 5);
    painter.setPen(Qt::white);
    painter.drawRect(1, 1, kSwatchSize - 3, kSwatchSize - 3);
    painter.end();
    QIcon icon(plain);
    icon.addPixmap(marked, QIcon::Normal, QIcon::On);
    icon.addPixmap(marked, QIcon::Active, QIcon::On);
    return icon;
}

// Removes the mark of an exclusive group.
void ClearMark(QButtonGroup& group)
{
    if (QAbstractButton* marked = group.checkedButton()) {
        group.setExclusive(false);
        marked->setChecked(false);
        group.setExclusive(true);
    }
}

} // namespace

std::string ColorToString(TColor color)
{
    for (const TColorName& entry : kColorNames)
        if (entry.Value == color)
            return entry.Name;
    std::string text = "$";
    for (int shift = 28; shift >= 0; shift -= 4)
        text += kHexDigits[(color >> shift) & 0xF];
    return text;
}

std::optional<TColor> StringToColor(const std::string& name)
{
    for (const TColorName& entry : kColorNames)
        if (QString::fromLatin1(entry.Name).compare(QString::fromLatin1(name), Qt::CaseInsensitive) == 0)
            return entry.Value;
    if (name.size() < 2 || name.front() != '$')
        return std::nullopt;
    TColor value = 0;
    const char* last = name.data() + name.size();
    const auto [end, error] = std::from_chars(name.data() + 1, last, value, 16);
    if (error != std::errc() || end != last)
        return std::nullopt;
    return value;
}

TFontForm::TFontForm(TImageCache& imageCache, TErrorBox& errorBox, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QString::fromUtf8(kCaption));

    sample_ = new THtmlPane(imageCache, errorBox, this);
    sample_->setObjectName("sample");
    sample_->SetViewImages(false);
    sample_->SetBorderStyle(THTMLBorderStyle::Single);
    sample_->SetScrollBars(TScrollStyle::Vertical);
    sample_->setFixedSize(kSampleWidth, kSampleHeight);

    auto* textBox = new QGroupBox(Cp1252ToQString(kTextColor), this);
    textColorGrid_ = CreateColorGrid(textBox, &TFontForm::ChooseFontColor);
    auto* linkBox = new QGroupBox(Cp1252ToQString(kLinkColor), this);
    linkColorGrid_ = CreateColorGrid(linkBox, &TFontForm::ChooseLinkColor);

    fontList_ = new QListWidget(this);
    fontList_->setObjectName("fontList");
    fontList_->setFixedWidth(kListWidth);
    FillFontList();
    // The user's choices, by mouse or keys; the program's own are made quietly.
    connect(fontList_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item)
            SetFontName(QStringToCp1252(item->text()));
    });
    backgroundList_ = new QListWidget(this);
    backgroundList_->setObjectName("backgroundList");
    backgroundList_->setFixedWidth(kListWidth);
    FillBackgroundList();
    // A mouse click makes the item current before it selects it: the colour
    // comes from the item itself, not from the selection.
    connect(backgroundList_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item)
            SetBackgroundColor(StringToColor(QStringToCp1252(item->text())).value_or(clBtnFace));
    });
    sizeBox_ = new QSpinBox(this);
    sizeBox_->setObjectName("sizeBox");
    sizeBox_->setRange(kMinFontSize, kMaxFontSize);
    sizeBox_->setValue(kInitialFontSize);
    connect(sizeBox_, &QSpinBox::valueChanged, this, &TFontForm::SetFontSize);

    resetButton_ = new QPushButton(Cp1252ToQString(kReset), this);
    connect(resetButton_, &QPushButton::clicked, this, &TFontForm::Reset);
    auto* okButton = new QPushButton(Cp1252ToQString(kOk), this);
    okButton->setObjectName("okButton");
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancelButton = new QPushButton(Cp1252ToQString(kCancel), this);
    cancelButton->setObjectName("cancelButton");
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    const auto labelFor = [this](const char* text, QWidget* buddy) {
        auto* label = new QLabel(Cp1252ToQString(text), this);
        label->setBuddy(buddy);
        return label;
    };
    auto* grids = new QHBoxLayout;
    grids->addWidget(textBox);
    grids->addWidget(linkBox);
    auto* left = new QVBoxLayout;
    left->addWidget(sample_);
    left->addLayout(grids);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(resetButton_);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto* right = new QVBoxLayout;
    right->addWidget(labelFor(kFontLabel, fontList_));
    right->addWidget(fontList_);
    right->addWidget(labelFor(kBackgroundLabel, backgroundList_));
    right->addWidget(backgroundList_);
    right->addWidget(labelFor(kSizeLabel, sizeBox_));
    right->addWidget(sizeBox_);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    SetFontColor(sample_->DefFontColor());
    SetLinkColor(sample_->DefHotSpotColor());
    sample_->LoadFromBuffer(kSamplePage);
}

QButtonGroup* TFontForm::CreateColorGrid(QWidget* box, void (TFontForm::*choose)(TColor))
{
    auto* group = new QButtonGroup(box);
    group->setExclusive(true);
    auto* grid = new QGridLayout(box);
    grid->setSpacing(2);
    for (int index = 0; index < kGridColors; ++index) {
        const TColor color = kColorNames[static_cast<std::size_t>(index)].Value;
        auto* swatch = new QToolButton(box);
        swatch->setCheckable(true);
        swatch->setIcon(Swatch(color));
        swatch->setToolTip(QString::fromLatin1(kColorNames[static_cast<std::size_t>(index)].Name));
        group->addButton(swatch, index);
        grid->addWidget(swatch, index / kGridColumns, index % kGridColumns);
    }
    connect(group, &QButtonGroup::idClicked, this,
            [this, choose](int index) { (this->*choose)(kColorNames[static_cast<std::size_t>(index)].Value); });
    return group;
}

void TFontForm::FillFontList()
{
    QStringList names = QFontDatabase::families();
    for (const TFontStandIn& standIn : kFontStandIns)
        if (names.contains(QString::fromLatin1(standIn.Family), Qt::CaseInsensitive))
            names << QString::fromLatin1(standIn.Name);
    names << QString::fromLatin1(kSystemFont);
    names.removeDuplicates();
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    fontList_->addItems(names);
}

void TFontForm::FillBackgroundList()
{
    // clDefault is no colour a page can be given.
    for (const TColorName& entry : kColorNames)
        if (!IsNegative(entry.Value) && entry.Value != clDefault)
            backgroundList_->addItem(QString::fromLatin1(entry.Name));
}

std::string TFontForm::FontName() const
{
    const QListWidgetItem* item = fontList_->currentItem();
    return item && item->isSelected() ? QStringToCp1252(item->text()) : std::string(kSystemFont);
}

void TFontForm::SetFontName(const std::string& name)
{
    QList<QListWidgetItem*> found = fontList_->findItems(Cp1252ToQString(name), Qt::MatchFixedString);
    if (found.isEmpty())
        found = fontList_->findItems(QString::fromLatin1(kSystemFont), Qt::MatchFixedString);
    if (!found.isEmpty()) {
        const QSignalBlocker quiet(fontList_);
        fontList_->setCurrentItem(found.front());
    }
    sample_->SetDefFontName(name);
}

void TFontForm::SetFontSize(int size)
{
    sample_->SetDefFontSize(size);
    fontSize_ = size;
    const QSignalBlocker quiet(sizeBox_);
    sizeBox_->setValue(size);
}

void TFontForm::SetFontColor(TColor color)
{
    ChooseFontColor(color);
    ClearMark(*textColorGrid_);
}

void TFontForm::SetLinkColor(TColor color)
{
    ChooseLinkColor(color);
    ClearMark(*linkColorGrid_);
}

void TFontForm::ChooseFontColor(TColor color)
{
    sample_->SetDefFontColor(color);
    fontColor_ = color;
}

void TFontForm::ChooseLinkColor(TColor color)
{
    sample_->SetDefHotSpotColor(color);
    linkColor_ = color;
}

TColor TFontForm::BackgroundColor() const
{
    const QListWidgetItem* item = backgroundList_->currentItem();
    if (!item || !item->isSelected())
        return clBtnFace;
    return StringToColor(QStringToCp1252(item->text())).value_or(clBtnFace);
}

void TFontForm::SetBackgroundColor(TColor color)
{
    const QString name = QString::fromLatin1(ColorToString(color).substr(0, kMaxColorNameLength));
    QList<QListWidgetItem*> found = backgroundList_->findItems(name, Qt::MatchExactly);
    if (found.isEmpty()) {
        backgroundList_->addItem(name);
        found = backgroundList_->findItems(name, Qt::MatchExactly);
    }
    {
        const QSignalBlocker quiet(backgroundList_);
        backgroundList_->setCurrentItem(found.front());
    }
    sample_->SetDefBackground(color);
}

void TFontForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    snapshot_ = TSnapshot{FontName(), fontColor_, linkColor_, BackgroundColor(), fontSize_};
}

void TFontForm::Reset()
{
    SetFontName(snapshot_.FontName);
    SetFontSize(snapshot_.FontSize);
    SetFontColor(snapshot_.FontColor);
    SetLinkColor(snapshot_.LinkColor);
    SetBackgroundColor(snapshot_.Background);
}
