// The program speaks French in Qt's own dialogs and menus as in its own, and
// its file dialogs and questions are French and roomy enough to read.

#include "app/window/QtFrench.h"
#include "app/window/ShellDialogs.h"
#include "engine/base/Cp1252.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
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

#define ZEF_REQUIRE_FRENCH(french)                                                                          \
    do {                                                                                                    \
        if (!(french).Loaded())                                                                             \
            GTEST_SKIP() << "Qt's French translations are missing from "                                    \
                         << QLibraryInfo::path(QLibraryInfo::TranslationsPath).toStdString()                \
                         << " (Debian package qt6-translations-l10n, installed by scripts/setup.sh)";      \
    } while (false)

// Runs `answer` on the next modal dialog once it is up (a dialog left open is
// rejected with a failure, so a missed answer cannot hang the test program).
void WhenModalDialogOpens(std::function<void(QDialog&)> answer)
{
    auto* poll = new QTimer;
    auto ticksLeft = std::make_shared<int>(1000);
    QObject::connect(poll, &QTimer::timeout, [poll, answer, ticksLeft] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog || --*ticksLeft == 0) {
            poll->stop();
            poll->deleteLater();
            if (dialog)
                answer(*dialog);
            else
                ADD_FAILURE() << "no modal dialog opened";
        }
    });
    poll->start(10);
}

QStringList ButtonTexts(const QWidget& dialog)
{
    QStringList texts;
    for (const QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->isVisible())
            texts << button->text().remove(u'&');
    return texts;
}

QMessageBox& MessageBox(QDialog& dialog)
{
    return *qobject_cast<QMessageBox*>(&dialog);
}

QAbstractButton* ButtonNamed(QMessageBox& box, const char* text)
{
    for (QAbstractButton* button : box.buttons())
        if (button->text() == Cp1252ToQString(text))
            return button;
    return nullptr;
}

TEST(French, QtsOwnDialogsAndContextMenusSpeakIt)
{
    const TQtFrench french;
    ZEF_REQUIRE_FRENCH(french);
    QLineEdit box("texte");
    const std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
    QStringList items;
    for (const QAction* action : menu->actions())
        items << action->text().remove(u'&').section(u'\t', 0, 0);
    EXPECT_TRUE(items.contains("Copier")) << items.join(", ").toStdString();
    EXPECT_TRUE(items.contains(QString::fromUtf8("Tout sélectionner"))) << items.join(", ").toStdString();

    QPrinter printer;
    const QPrintDialog print(&printer);
    EXPECT_EQ(print.windowTitle(), "Imprimer");
    QStringList printButtons;
    for (const QPushButton* button : print.findChildren<QPushButton*>())
        printButtons << button->text().remove(u'&');
    EXPECT_TRUE(printButtons.contains("Imprimer")) << printButtons.join(", ").toStdString();

    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    EXPECT_EQ(files.findChild<QTreeView*>("treeView")->model()->headerData(0, Qt::Horizontal).toString(), "Nom");
    EXPECT_EQ(QKeySequence(Qt::ALT | Qt::Key_Left).toString(QKeySequence::NativeText), "Alt+Gauche");
}

TEST(French, TheOpenAndSaveDialogsKeepTheirLabelsAndShowWholeColumns)
{
    const TQtFrench french;
    ZEF_REQUIRE_FRENCH(french);
    QTemporaryDir folder;
    const std::string page = folder.path().toStdString() + "/une page au nom assez long.htm";
    std::ofstream(page) << std::string(5000, 'x');
    TQtShellDialogs dialogs;

    QStringList openButtons;
    WhenModalDialogOpens([&](QDialog& dialog) {
        openButtons = ButtonTexts(dialog);
        EXPECT_GE(dialog.width(), 800);
        auto& details = *dialog.findChild<QTreeView*>("treeView");
        // The folder is read in the background.
        const QModelIndex row = qobject_cast<QFileSystemModel*>(details.model())->index(QString::fromStdString(page));
        EXPECT_TRUE(QTest::qWaitFor([&] { return details.visualRect(row).isValid(); }));
        // Size, type and date are shown whole, not "771…tes".
        for (int column = 1; column < 4; ++column) {
            const QString text = row.siblingAtColumn(column).data().toString();
            EXPECT_GT(details.columnWidth(column), details.fontMetrics().horizontalAdvance(text))
                << text.toStdString();
        }
        dialog.reject();
    });
    EXPECT_FALSE(dialogs.AskOpenFileName(nullptr, {page, 1}));
    EXPECT_EQ(openButtons, QStringList({"Ouvrir", "Annuler"}));

    QStringList saveButtons;
    WhenModalDialogOpens([&](QDialog& dialog) {
        saveButtons = ButtonTexts(dialog);
        EXPECT_EQ(dialog.windowTitle(), "Enregistrer sous");
        dialog.reject();
    });
    EXPECT_FALSE(dialogs.AskSaveFileName(nullptr, {"Enregistrer sous", {"Texte brut (*.txt)"}, folder.path(), "x"}));
    EXPECT_EQ(saveButtons, QStringList({"Enregistrer", "Annuler"}));
}

TEST(French, QuestionsBeforeLosingAnythingOfferTheirChoices)
{
    TQtShellDialogs dialogs;
    WhenModalDialogOpens([](QDialog& dialog) {
        QMessageBox& box = MessageBox(dialog);
        EXPECT_EQ(box.text(), "Enregistrer les modifications ?");
        EXPECT_EQ(ButtonTexts(box), QStringList({"Enregistrer", "Ne pas enregistrer", "Annuler"}));
        ButtonNamed(box, "Ne pas enregistrer")->click();
    });
    EXPECT_EQ(dialogs.AskSaveChanges(nullptr), TUnsavedChoice::Discard);
    WhenModalDialogOpens([](QDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    EXPECT_EQ(dialogs.AskSaveChanges(nullptr), TUnsavedChoice::Cancel);

    // Enter alone keeps the file.
    WhenModalDialogOpens([](QDialog& dialog) {
        EXPECT_TRUE(MessageBox(dialog).text().contains("photo.jpg"));
        QTest::keyClick(&dialog, Qt::Key_Return);
    });
    EXPECT_FALSE(dialogs.AskReplace(nullptr, "/tmp/photo.jpg"));
    WhenModalDialogOpens([](QDialog& dialog) { ButtonNamed(MessageBox(dialog), "Remplacer")->click(); });
    EXPECT_TRUE(dialogs.AskReplace(nullptr, "/tmp/photo.jpg"));
}

} // namespace
