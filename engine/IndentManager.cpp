#include "engine/IndentManager.h"

#include <algorithm>

namespace {

bool BandContains(const IndentRec& record, int y)
{
    return record.TopY <= y && y < record.BottomY;
}

} // namespace

void IndentManagerBasic::Reset(int width)
{
    LeftRecords.clear();
    RightRecords.clear();
    LeftEdgeX = 0;
    RightEdgeX = width;
    ListLevel = 0;
    Width = width;
}

int IndentManagerBasic::LeftEdge(int y) const
{
    std::optional<int> largest;
    for (const IndentRec& record : LeftRecords)
        if (BandContains(record, y) && (!largest || record.X > *largest))
            largest = record.X;
    return LeftEdgeX + largest.value_or(0);
}

int IndentManagerBasic::RightEdge(int y) const
{
    std::optional<int> smallest;
    for (const IndentRec& record : RightRecords)
        if (BandContains(record, y) && (!smallest || record.X < *smallest))
            smallest = record.X;
    return RightEdgeX + smallest.value_or(0);
}

void IndentManagerBasic::SetListLevel(int y, int level)
{
    if (level > ListLevel) {
        // Added one at a time, so each level sees the indent of the one before.
        for (int newLevel = ListLevel + 1; newLevel <= level; ++newLevel)
            LeftRecords.push_back({LeftEdge(y) - LeftEdgeX + kListIndent, y, kOpenBottom, newLevel});
    } else if (level < ListLevel && ListLevel > 0) {
        for (IndentRec& record : LeftRecords) {
            if (record.Owner && *record.Owner > level) {
                record.Owner.reset();
                record.BottomY = y - 1;
            }
        }
    }
    ListLevel = level;
}

void IndentManagerBasic::RegisterFloat(TFloatSide side, int y, int height, int width)
{
    if (side == TFloatSide::Left)
        LeftRecords.push_back({LeftEdge(y) - LeftEdgeX + width, y, y + height, std::nullopt});
    else
        RightRecords.push_back({RightEdge(y) - RightEdgeX - width, y, y + height, std::nullopt});
}

int IndentManagerBasic::FloatBottom() const
{
    int bottom = 0;
    for (const auto* records : {&LeftRecords, &RightRecords})
        for (const IndentRec& record : *records)
            if (!record.Owner)
                bottom = std::max(bottom, record.BottomY);
    return bottom;
}

TClearanceBottoms IndentManagerBasic::ClearanceBottoms() const
{
    auto lowestFloat = [](const std::vector<IndentRec>& records) {
        std::optional<int> bottom;
        for (const IndentRec& record : records)
            if (!record.Owner && (!bottom || record.BottomY > *bottom))
                bottom = record.BottomY;
        return bottom ? *bottom + 1 : 0;
    };
    return {lowestFloat(LeftRecords), lowestFloat(RightRecords)};
}

int IndentManagerBasic::ListClearance() const
{
    int levelX = 0;
    for (const IndentRec& record : LeftRecords)
        if (record.Owner == ListLevel)
            levelX = record.X;
    int bottom = 0;
    for (const IndentRec& record : LeftRecords)
        if (record.X > levelX)
            bottom = std::max(bottom, record.BottomY);
    return bottom + 1;
}
