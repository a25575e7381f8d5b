#include "app/window/ShellDialogs.h"

#include "app/files/FileNameText.h"
#include "engine/base/Cp1252.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSplitter>
#include <QTreeView>

#include <algorithm>

namespace {

// Windows-1252.
constexpr const char* kOk = "OK";
constexpr const char* kCancel = "Annuler";
constexpr const char* kYes = "Oui";
constexpr const char* kNo = "Non";
constexpr const char* kOpenCaption = "Ouvrir";
constexpr const char* kSaveButton = "Enregistrer";
constexpr const char* kLookIn = "Dans :";
constexpr const char* kFileName = "Nom du fichier :";
constexpr const char* kFileType = "Type :";
// Qt reads the patterns of a filter separated by spaces.
constexpr const char* kOpenFilters[] = {
    "Fichiers HTML (*.htm *.html)",
    "Fichiers image (*.gif *.jpg)",
    "Fichiers texte (*.txt)",
};
constexpr const char* kReplaceBefore = "Le fichier « ";
constexpr const char* kReplaceAfter = " » existe déjà.\nVoulez-vous le remplacer ?";
constexpr const char* kReplace = "Remplacer";
constexpr const char* kSaveChanges = "Enregistrer les modifications ?";
constexpr const char* kDiscard = "Ne pas enregistrer";

// Wide enough for the name, size, type and date columns of the detail view,
// and for the places beside them ("Ordinateur").
constexpr QSize kFileDialogSize(860, 520);
constexpr int kPlacesWidth = 150;
constexpr const char* kFolderType = "Dossier";

// Qt's French texts lack the type shown for folders in the detail view.
class TFrenchTypes final : public QFileIconProvider {
public:
    QString type(const QFileInfo& info) const override
    {
        return info.isDir() && !info.isRoot() ? Cp1252ToQString(kFolderType) : QFileIconProvider::type(info);
    }
};

// Qt's file model writes sizes and dates in the system's locale, English
// where none is set: the dialog shows them in the program's own, French.
class TFrenchFileColumns final : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || files == nullptr)
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        if (index.column() == kSizeColumn && !files->isDir(source))
            return QLocale().formattedDataSize(files->size(source));
        if (index.column() == kDateColumn)
            return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
        return QIdentityProxyModel::data(index, role);
    }

private:
    // The columns of QFileSystemModel.
    static constexpr int kSizeColumn = 1;
    static constexpr int kDateColumn = 3;
};

// Qt's own file dialog, the same on every desktop. The mode comes first: it
// resets the accept button's text, which would otherwise fall back to Qt's.
void PrepareFileDialog(QFileDialog& dialog, QFileDialog::AcceptMode mode, QFileDialog::FileMode fileMode,
                       const char* acceptText, TFrenchTypes& types)
{
    // Save dialogs leave the question about an existing file to the caller,
    // which knows the name finally written.
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(fileMode);
    dialog.setLabelText(QFileDialog::LookIn, Cp1252ToQString(kLookIn));
    dialog.setLabelText(QFileDialog::FileName, Cp1252ToQString(kFileName));
    dialog.setLabelText(QFileDialog::FileType, Cp1252ToQString(kFileType));
    dialog.setLabelText(QFileDialog::Accept, Cp1252ToQString(acceptText));
    dialog.setLabelText(QFileDialog::Reject, Cp1252ToQString(kCancel));
    dialog.setIconProvider(&types);
    dialog.setProxyModel(new TFrenchFileColumns(&dialog));
    dialog.resize(kFileDialogSize);
    if (auto* splitter = dialog.findChild<QSplitter*>(QStringLiteral("splitter")))
        splitter->setSizes({kPlacesWidth, kFileDialogSize.width() - kPlacesWidth});
    // The name takes what the other columns leave; they keep their text whole.
    if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = details->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
}

std::string ChosenFileName(const QFileDialog& dialog)
{
    return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

} // namespace

bool TQtShellDialogs::AskOkCancel(QWidget* parent, const std::string& message)
{
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), Cp1252ToQString(message),
                    QMessageBox::NoButton, parent);
    QPushButton* ok = box.addButton(Cp1252ToQString(kOk), QMessageBox::AcceptRole);
    box.addButton(Cp1252ToQString(kCancel), QMessageBox::RejectRole);
    box.setDefaultButton(ok);
    box.exec();
    return box.clickedButton() == ok;
}

bool TQtShellDialogs::AskYesNo(QWidget* parent, const std::string& message)
{
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), Cp1252ToQString(message),
                    QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(Cp1252ToQString(kYes), QMessageBox::YesRole);
    QPushButton* no = box.addButton(Cp1252ToQString(kNo), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void TQtShellDialogs::Inform(QWidget* parent, const std::string& message)
{
    QMessageBox box(QMessageBox::Information, QApplication::applicationName(), Cp1252ToQString(message),
                    QMessageBox::NoButton, parent);
    box.addButton(Cp1252ToQString(kOk), QMessageBox::AcceptRole);
    box.exec();
}

int OpenFilterIndexOf(const std::string& fileName)
{
    const QString name = QFileInfo(QFile::decodeName(QByteArray::fromStdString(fileName))).fileName();
    for (std::size_t index = 0; index < std::size(kOpenFilters); ++index) {
        const QString filter = QString::fromUtf8(kOpenFilters[index]);
        const qsizetype open = filter.indexOf(u'(');
        const QStringList patterns =
            filter.mid(open + 1, filter.indexOf(u')') - open - 1).split(u' ', Qt::SkipEmptyParts);
        if (QDir::match(patterns, name))
            return static_cast<int>(index) + 1;
    }
    return 0;
}

int TQtShellDialogs::ShowModal(QDialog& dialog)
{
    return dialog.exec();
}

std::optional<TOpenChoice> TQtShellDialogs::AskOpenFileName(QWidget* parent, const TOpenChoice& last)
{
    const QString lastName = FileNameForDisplay(last.FileName);
    TFrenchTypes types; // outlives the dialog
    QFileDialog dialog(parent, Cp1252ToQString(kOpenCaption),
                       lastName.isEmpty() ? QString() : QFileInfo(lastName).absolutePath());
    PrepareFileDialog(dialog, QFileDialog::AcceptOpen, QFileDialog::ExistingFile, kOpenCaption, types);
    QStringList filters;
    for (const char* filter : kOpenFilters)
        filters << Cp1252ToQString(filter);
    dialog.setNameFilters(filters);
    const int lastFilter = std::clamp(last.FilterIndex, 1, static_cast<int>(filters.size()));
    dialog.selectNameFilter(filters[lastFilter - 1]);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const int filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return TOpenChoice{ChosenFileName(dialog), std::max(filterIndex, 1)};
}

std::optional<TSaveChoice> TQtShellDialogs::AskSaveFileName(QWidget* parent, const TSaveRequest& request)
{
    TFrenchTypes types; // outlives the dialog
    QFileDialog dialog(parent, request.Caption, request.Folder);
    PrepareFileDialog(dialog, QFileDialog::AcceptSave, QFileDialog::AnyFile, kSaveButton, types);
    dialog.setNameFilters(request.Filters);
    dialog.selectFile(request.ProposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const int filterIndex = static_cast<int>(request.Filters.indexOf(dialog.selectedNameFilter())) + 1;
    return TSaveChoice{ChosenFileName(dialog), std::max(filterIndex, 1)};
}

bool TQtShellDialogs::AskReplace(QWidget* parent, const std::string& fileName)
{
    const QString message = QString::fromUtf8(kReplaceBefore) + FileNameForDisplay(fileName) +
                            QString::fromUtf8(kReplaceAfter);
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), message, QMessageBox::NoButton, parent);
    QPushButton* replace = box.addButton(Cp1252ToQString(kReplace), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(Cp1252ToQString(kCancel), QMessageBox::RejectRole);
    // Enter alone must not destroy a file.
    box.setDefaultButton(cancel);
    box.exec();
    return box.clickedButton() == replace;
}

TUnsavedChoice TQtShellDialogs::AskSaveChanges(QWidget* parent)
{
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), Cp1252ToQString(kSaveChanges),
                    QMessageBox::NoButton, parent);
    QPushButton* save = box.addButton(Cp1252ToQString(kSaveButton), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(Cp1252ToQString(kDiscard), QMessageBox::DestructiveRole);
    box.addButton(Cp1252ToQString(kCancel), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.exec();
    if (box.clickedButton() == save)
        return TUnsavedChoice::Save;
    return box.clickedButton() == discard ? TUnsavedChoice::Discard : TUnsavedChoice::Cancel;
}

bool TQtShellDialogs::AskPrinter(QWidget* parent, QPrinter& printer)
{
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void TQtShellDialogs::ShowPrintPreview(QWidget* parent, QPrinter& printer,
                                       const std::function<void(QPrinter&)>& paint)
{
    QPrintPreviewDialog dialog(&printer, parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&paint](QPrinter* shown) { paint(*shown); });
    dialog.exec();
}
