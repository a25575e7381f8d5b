#pragma once
// The Fichier menu's printing: the page shown printed through the platform's
// print dialog, shown in a print preview, or exported to a PDF file. A
// failure is told in the error box, in French.

#include "engine/viewer/PagePrinter.h"

class QWidget;
class TErrorBox;
class THtmlPane;
class TShellDialogs;

struct TPagePrinting {
    THtmlPane& Pane;
    TShellDialogs& Dialogs;
    TErrorBox& ErrorBox;
    QWidget* Parent = nullptr;
    TPrintOptions Options;

    // "Imprimer...": nothing when the dialog is cancelled.
    void Print() const;
    // "Aperçu avant impression".
    void Preview() const;
    // "Exporter en PDF...": asks for the name (and before replacing a file).
    void ExportPdf() const;
};
