#pragma once
// What the benchmark programs share: an error box that stays quiet, a
// document with no viewer in the given fonts, and the main that runs the
// benchmarks under a Qt application.

#include "engine/canvas/Canvas.h"
#include "engine/base/ErrorBox.h"
#include "engine/layout/SectionList.h"

#include <string>

class TSilentErrorBox final : public TErrorBox {
public:
    void ShowError(const std::string&) override {}
};

// The fonts and colours a benchmark document starts with.
enum class TBenchColors {
    Plain,  // black text and blue links on white
    Viewer, // the viewer control's defaults
};

// A document without a viewer, with Times New Roman and Courier New at 12
// points.
class TBenchDocument {
public:
    explicit TBenchDocument(TBenchColors colors = TBenchColors::Plain);

    // Lays the whole document out at the width from document Y y; returns
    // its height.
    int Layout(TCanvas& canvas, int width, int y = 0);

    TSilentErrorBox Errors;
    TSectionList Document{nullptr, Errors};
};

// Runs the benchmarks the command line selects, on the offscreen platform
// unless QT_QPA_PLATFORM names another; the result for main.
int RunBenchmarks(int argc, char** argv);
