#include "app/window/Propriete.h"

#include "app/files/FileNameText.h"
#include "engine/base/Cp1252.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>
#include <filesystem>
#include <string_view>

namespace {

// Windows-1252.
constexpr const char* kCaption = "Propriétés";
constexpr const char* kClose = "Fermer";
constexpr const char* kTypeLabel = "Type :";
constexpr const char* kAddressLabel = "Adresse :";
constexpr const char* kSizeLabel = "Taille :";
constexpr const char* kBytes = " octets";
constexpr const char* kNoSuchFile = "Fichier introuvable";

struct TFileType {
    std::string_view Extension;  // the three characters after the first ".", upper-cased
    const char* Name;
};

constexpr std::array<TFileType, 4> kFileTypes = {{
    {"HTM", "Fichier HTML"},
    {"GIF", "Image GIF"},
    {"JPG", "Image JPEG"},
    {"WAV", "Son WAV"},
}};

// Only three characters are compared, so ".html" is "HTM"; the first "." of
// the whole name counts, even in a folder name.
const char* TypeName(const std::string& fileName)
{
    const std::size_t dot = fileName.find('.');
    if (dot == std::string::npos)
        return "";
    std::string extension = fileName.substr(dot + 1, 3);
    for (char& c : extension)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    for (const TFileType& type : kFileTypes)
        if (type.Extension == extension)
            return type.Name;
    return "";
}

std::string SizeText(const std::string& fileName)
{
    std::error_code error;
    const std::filesystem::path path(fileName);
    if (fileName.empty() || !std::filesystem::is_regular_file(path, error))
        return kNoSuchFile;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error)
        return kNoSuchFile;
    return std::to_string(size) + kBytes;
}

QLineEdit* MakeReadOnlyBox(QWidget* parent, const char* objectName)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(objectName);
    box->setReadOnly(true);
    box->setMinimumWidth(320);
    return box;
}

} // namespace

TPropriete::TPropriete(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QString::fromUtf8(kCaption));
    auto* closeButton = new QPushButton(Cp1252ToQString(kClose), this);
    closeButton->setObjectName("closeButton");
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);

    TypeBox = MakeReadOnlyBox(this, "typeBox");
    AddressBox = MakeReadOnlyBox(this, "addressBox");
    SizeBox = MakeReadOnlyBox(this, "sizeBox");

    auto* panel = new QHBoxLayout;
    panel->addWidget(closeButton);
    panel->addStretch();
    auto* boxes = new QFormLayout;
    boxes->addRow(Cp1252ToQString(kTypeLabel), TypeBox);
    boxes->addRow(Cp1252ToQString(kAddressLabel), AddressBox);
    boxes->addRow(Cp1252ToQString(kSizeLabel), SizeBox);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(panel);
    layout->addLayout(boxes);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

// An unknown type empties the type box rather than keeping the last file's
// type, which would describe another file.
void TPropriete::Init(const std::string& fileName)
{
    TypeBox->setText(Cp1252ToQString(TypeName(fileName)));
    AddressBox->setText(FileNameForDisplay(fileName));
    SizeBox->setText(Cp1252ToQString(SizeText(fileName)));
}
