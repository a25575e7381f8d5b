// The program speaks French in Qt's own dialogs and menus as in its own, and
// its file dialogs and questions are French and roomy enough to read.

#include "app/window/QtFrench.h"
#include "app/window/ShellDialogs.h"

#include <gtest/gtest.h>

#include <QAbstractProxyModel>
#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <fstream>
#include <functional>
#include <memory>

namespace {

// Runs `answer` on the modal dialog the next call opens.
void WhenModalDialogOpens(std::function<void(QDialog&)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        answer(*dialog);
    });
}

QStringList ButtonTexts(const QWidget& dialog)
{
    QStringList texts;
    for (const QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->isVisible() || !dialog.isVisible())
            texts << button->text().remove(u'&').section(u'\t', 0, 0);
    return texts;
}

TEST(French, QtsDialogsAndMenusAndTheProgramsFileDialogsSpeakIt)
{
    const TQtFrench french;
    if (!french.Loaded())
        GTEST_SKIP() << "Qt's French translations are missing from "
                     << QLibraryInfo::path(QLibraryInfo::TranslationsPath).toStdString()
                     << " (Debian package qt6-translations-l10n, installed by scripts/setup.sh)";
    QLineEdit box("texte");
    const std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
    QStringList items;
    for (const QAction* action : menu->actions())
        items << action->text().remove(u'&').section(u'\t', 0, 0);
    EXPECT_TRUE(items.contains("Copier") && items.contains(QString::fromUtf8("Tout sélectionner")))
        << items.join(", ").toStdString();
    QPrinter printer;
    const QPrintDialog print(&printer);
    EXPECT_EQ(print.windowTitle(), "Imprimer");
    EXPECT_TRUE(ButtonTexts(print).contains("Imprimer")) << ButtonTexts(print).join(", ").toStdString();
    EXPECT_EQ(QKeySequence(Qt::ALT | Qt::Key_Left).toString(QKeySequence::NativeText), "Alt+Gauche");

    // The program's own dialogs keep their labels after their mode is set,
    // and show the size, type and date of a file whole, not "771…tes".
    QTemporaryDir folder;
    const std::string page = folder.path().toStdString() + "/une page au nom assez long.htm";
    std::ofstream(page) << std::string(5000, 'x');
    TQtShellDialogs dialogs;
    WhenModalDialogOpens([&](QDialog& dialog) {
        EXPECT_EQ(ButtonTexts(dialog), QStringList({"Ouvrir", "Annuler"}));
        auto& details = *dialog.findChild<QTreeView*>("treeView");
        EXPECT_EQ(details.model()->headerData(0, Qt::Horizontal).toString(), "Nom");
        // The folder is read in the background.
        const auto& shown = *qobject_cast<QAbstractProxyModel*>(details.model());
        const auto& files = *qobject_cast<QFileSystemModel*>(shown.sourceModel());
        const QModelIndex row = shown.mapFromSource(files.index(QString::fromStdString(page)));
        EXPECT_TRUE(QTest::qWaitFor([&] { return details.visualRect(row).isValid(); }));
        for (int column = 1; column < 4; ++column) {
            const QString text = row.siblingAtColumn(column).data().toString();
            EXPECT_GT(details.columnWidth(column), details.fontMetrics().horizontalAdvance(text)) << text.toStdString();
        }
        // Sizes and dates are written the French way, whatever the system's locale.
        const QLocale french(QLocale::French, QLocale::France);
        EXPECT_EQ(row.siblingAtColumn(1).data().toString(), french.formattedDataSize(5000));
        EXPECT_EQ(row.siblingAtColumn(3).data().toString(),
                  french.toString(files.lastModified(files.index(QString::fromStdString(page))), QLocale::ShortFormat));
        dialog.reject();
    });
    EXPECT_FALSE(dialogs.AskOpenFileName(nullptr, {page, 1}));
    WhenModalDialogOpens([&](QDialog& dialog) {
        EXPECT_EQ(ButtonTexts(dialog), QStringList({"Enregistrer", "Annuler"}));
        dialog.reject();
    });
    EXPECT_FALSE(dialogs.AskSaveFileName(nullptr, {"Enregistrer sous", {"Texte brut (*.txt)"}, folder.path(), "x"}));
}

TEST(French, QuestionsBeforeLosingAnythingOfferTheirChoices)
{
    TQtShellDialogs dialogs;
    WhenModalDialogOpens([](QDialog& dialog) {
        auto& box = *qobject_cast<QMessageBox*>(&dialog);
        EXPECT_EQ(box.text(), "Enregistrer les modifications ?");
        EXPECT_EQ(ButtonTexts(box), QStringList({"Enregistrer", "Ne pas enregistrer", "Annuler"}));
        for (QAbstractButton* button : box.buttons())
            if (button->text() == "Ne pas enregistrer")
                button->click();
    });
    EXPECT_EQ(dialogs.AskSaveChanges(nullptr), TUnsavedChoice::Discard);
    // Enter alone keeps the file.
    WhenModalDialogOpens([](QDialog& dialog) {
        EXPECT_TRUE(qobject_cast<QMessageBox*>(&dialog)->text().contains("photo.jpg"));
        QTest::keyClick(&dialog, Qt::Key_Return);
    });
    EXPECT_FALSE(dialogs.AskReplace(nullptr, "/tmp/photo.jpg"));
}

} // namespace
