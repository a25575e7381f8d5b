#pragma once
// The shell's boxes and dialogs answered by the test: every question is
// recorded, every answer is what the test set beforehand.

#include "app/window/ShellDialogs.h"

#include <QDialog>
#include <QPrinter>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class TFakeDialogs final : public TShellDialogs {
public:
    std::vector<std::string> Questions;     // warning boxes asked
    std::vector<std::string> YesNoQuestions;
    std::vector<std::string> Informations;  // information boxes shown
    std::vector<std::string> ShownWindows;  // class names of the windows shown modally
    std::vector<TSaveRequest> SaveRequests; // save dialogs shown
    std::vector<std::string> ReplaceQuestions;
    int SaveChangesQuestions = 0;
    bool AnswerOk = true;
    bool AnswerYes = false;
    // Runs on the window shown modally; without it the window is cancelled.
    std::function<int(QDialog&)> OnShowModal;
    std::optional<TOpenChoice> OpenAnswer;
    // One answer per save dialog, in order; a dialog without one is cancelled.
    std::deque<TSaveChoice> SaveAnswers;
    bool ReplaceAnswer = false;
    TUnsavedChoice SaveChangesAnswer = TUnsavedChoice::Cancel;
    // The print dialog and the preview print into this PDF file; without a
    // name the print dialog is cancelled and the preview prints nothing.
    QString PrintToPdf;
    int PrintDialogs = 0;
    int Previews = 0;

    bool AskOkCancel(QWidget*, const std::string& message) override
    {
        Questions.push_back(message);
        return AnswerOk;
    }
    bool AskYesNo(QWidget*, const std::string& message) override
    {
        YesNoQuestions.push_back(message);
        return AnswerYes;
    }
    void Inform(QWidget*, const std::string& message) override { Informations.push_back(message); }
    int ShowModal(QDialog& dialog) override
    {
        ShownWindows.push_back(dialog.metaObject()->className());
        return OnShowModal ? OnShowModal(dialog) : QDialog::Rejected;
    }
    // The choice the last open dialog started from.
    std::optional<TOpenChoice> OpenStartedFrom;
    std::optional<TOpenChoice> AskOpenFileName(QWidget*, const TOpenChoice& last) override
    {
        OpenStartedFrom = last;
        return OpenAnswer;
    }
    std::optional<TSaveChoice> AskSaveFileName(QWidget*, const TSaveRequest& request) override
    {
        SaveRequests.push_back(request);
        if (SaveAnswers.empty())
            return std::nullopt;
        TSaveChoice answer = SaveAnswers.front();
        SaveAnswers.pop_front();
        return answer;
    }
    bool AskReplace(QWidget*, const std::string& fileName) override
    {
        ReplaceQuestions.push_back(fileName);
        return ReplaceAnswer;
    }
    TUnsavedChoice AskSaveChanges(QWidget*) override
    {
        ++SaveChangesQuestions;
        return SaveChangesAnswer;
    }
    bool AskPrinter(QWidget*, QPrinter& printer) override
    {
        ++PrintDialogs;
        if (PrintToPdf.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(PrintToPdf);
        return true;
    }
    void ShowPrintPreview(QWidget*, QPrinter& printer, const std::function<void(QPrinter&)>& paint) override
    {
        ++Previews;
        if (PrintToPdf.isEmpty())
            return;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(PrintToPdf);
        paint(printer);
    }
};
