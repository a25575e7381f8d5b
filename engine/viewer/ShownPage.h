#pragma once
// The page a viewer shows: its document, the forms its controls belong to
// and the names of its anchors. One object owns the three and lets go of
// them together, the document first: its items point at the forms' controls.

#include "engine/builder/HtmlBuilder.h"
#include "engine/forms/HtmlForm.h"
#include "engine/layout/SectionList.h"

class TShownPage {
public:
    TShownPage(TDocumentHost& host, TErrorBox& errorBox) : document_(&host, errorBox) {}
    ~TShownPage() { Clear(); }
    TShownPage(const TShownPage&) = delete;
    TShownPage& operator=(const TShownPage&) = delete;

    TSectionList& Document() { return document_; }
    const TSectionList& Document() const { return document_; }
    TFormList& Forms() { return forms_; }
    TAnchorList& Anchors() { return anchors_; }
    const TAnchorList& Anchors() const { return anchors_; }
    // What a parse fills.
    TPageParts Parts() { return {document_, forms_, anchors_}; }

    // Empties the page for the next one.
    void Clear()
    {
        document_.Clear();
        forms_.clear();
        anchors_.Clear();
    }

private:
    TFormList forms_;
    TAnchorList anchors_;
    TSectionList document_;
};
