#include "engine/layout/IndentManager.h"

#include "engine/base/LayoutLimits.h"

#include <algorithm>
#include <functional>
#include <iterator>

namespace {

bool BandContains(const IndentRec& record, int y)
{
    return record.TopY <= y && y < record.BottomY;
}

std::optional<int> Larger(std::optional<int> a, std::optional<int> b)
{
    if (!a)
        return b;
    if (!b)
        return a;
    return std::max(*a, *b);
}

} // namespace

// ---- TIndentRecords ----

void TIndentRecords::Clear()
{
    records_.clear();
    open_.clear();
    unownedBottom_.reset();
    bottomSteps_.clear();
    live_.clear();
    lastAskedY_ = INT_MIN;
}

void TIndentRecords::Add(const IndentRec& record)
{
    records_.push_back(record);
    const std::size_t index = records_.size() - 1;
    if (record.Owner)
        open_.push_back(index);
    else
        NoteUnowned(index);
}

void TIndentRecords::CloseLevelsAbove(int level, int bottom)
{
    std::erase_if(open_, [&](std::size_t index) {
        IndentRec& record = records_[index];
        if (*record.Owner <= level)
            return false;
        record.Owner.reset();
        record.BottomY = bottom;
        NoteUnowned(index);
        return true;
    });
}

void TIndentRecords::NoteUnowned(std::size_t index)
{
    const IndentRec& record = records_[index];
    unownedBottom_ = Larger(unownedBottom_, record.BottomY);
    if (record.BottomY > lastAskedY_)
        live_.push_back(index);

    auto step = bottomSteps_.lower_bound(record.X);
    if (step != bottomSteps_.end() && step->second >= record.BottomY)
        return; // a step at or past this X already reaches as low
    step = bottomSteps_.insert_or_assign(step, record.X, record.BottomY);
    while (step != bottomSteps_.begin() && std::prev(step)->second <= record.BottomY)
        bottomSteps_.erase(std::prev(step));
}

template <typename Better>
std::optional<int> TIndentRecords::BestXAt(int y, Better better) const
{
    if (y < lastAskedY_) {
        live_.clear();
        for (std::size_t index = 0; index < records_.size(); ++index)
            if (!records_[index].Owner && records_[index].BottomY > y)
                live_.push_back(index);
    }
    lastAskedY_ = y;

    std::optional<int> best;
    auto consider = [&](const IndentRec& record) {
        if (BandContains(record, y) && (!best || better(record.X, *best)))
            best = record.X;
    };
    std::erase_if(live_, [&](std::size_t index) {
        const IndentRec& record = records_[index];
        if (record.BottomY <= y)
            return true; // no later question of this pass reaches it
        consider(record);
        return false;
    });
    for (std::size_t index : open_)
        consider(records_[index]);
    return best;
}

std::optional<int> TIndentRecords::LargestXAt(int y) const
{
    return BestXAt(y, std::greater<int>());
}

std::optional<int> TIndentRecords::SmallestXAt(int y) const
{
    return BestXAt(y, std::less<int>());
}

std::optional<int> TIndentRecords::UnownedBottomBeyond(int x) const
{
    const auto step = bottomSteps_.upper_bound(x);
    if (step == bottomSteps_.end())
        return std::nullopt;
    return step->second;
}

std::optional<int> TIndentRecords::OpenLevelX(int level) const
{
    for (auto index = open_.rbegin(); index != open_.rend(); ++index)
        if (records_[*index].Owner == level)
            return records_[*index].X;
    return std::nullopt;
}

std::optional<int> TIndentRecords::OpenBottomBeyond(int x) const
{
    std::optional<int> bottom;
    for (std::size_t index : open_)
        if (records_[index].X > x)
            bottom = Larger(bottom, records_[index].BottomY);
    return bottom;
}

// ---- IndentManagerBasic ----

void IndentManagerBasic::Reset(int width)
{
    if (sides_) {
        sides_->Left.Clear();
        sides_->Right.Clear();
    }
    LeftEdgeX = 0;
    RightEdgeX = width;
    ListLevel = 0;
    Width = width;
}

const TIndentRecords* TCellIndents::Side(TFloatSide side) const
{
    if (!sides_)
        return nullptr;
    return side == TFloatSide::Left ? &sides_->Left : &sides_->Right;
}

TIndentRecords& TCellIndents::AddingTo(TFloatSide side)
{
    if (!sides_)
        sides_ = std::make_unique<TSides>();
    return side == TFloatSide::Left ? sides_->Left : sides_->Right;
}

std::span<const IndentRec> TCellIndents::LeftRecords() const
{
    return sides_ ? std::span<const IndentRec>(sides_->Left.All()) : std::span<const IndentRec>();
}

std::span<const IndentRec> TCellIndents::RightRecords() const
{
    return sides_ ? std::span<const IndentRec>(sides_->Right.All()) : std::span<const IndentRec>();
}

int IndentManagerBasic::LeftEdge(int y) const
{
    const TIndentRecords* left = Side(TFloatSide::Left);
    return LeftEdgeX + (left ? left->LargestXAt(y).value_or(0) : 0);
}

int IndentManagerBasic::RightEdge(int y) const
{
    const TIndentRecords* right = Side(TFloatSide::Right);
    return RightEdgeX + (right ? right->SmallestXAt(y).value_or(0) : 0);
}

void IndentManagerBasic::SetListLevel(int y, int level)
{
    if (level > ListLevel) {
        // Added one at a time, so each level sees the indent of the one before.
        for (int newLevel = ListLevel + 1; newLevel <= level; ++newLevel)
            AddingTo(TFloatSide::Left).Add({LeftEdge(y) - LeftEdgeX + kListIndent, y, kOpenBottom, newLevel});
    } else if (level < ListLevel && ListLevel > 0) {
        AddingTo(TFloatSide::Left).CloseLevelsAbove(level, y - 1);
    }
    ListLevel = level;
}

void IndentManagerBasic::RegisterFloat(TFloatSide side, int y, int height, int width)
{
    // Thousands of floats side by side push the edge no further than the
    // layout reaches.
    const int bottom = ExtentSum(y, height);
    if (side == TFloatSide::Left)
        AddingTo(side).Add({ExtentSum(LeftEdge(y) - LeftEdgeX, width), y, bottom, std::nullopt});
    else
        AddingTo(side).Add({-ExtentSum(RightEdgeX - RightEdge(y), width), y, bottom, std::nullopt});
}

int IndentManagerBasic::FloatBottom() const
{
    return std::max(FloatBottom(TFloatSide::Left), FloatBottom(TFloatSide::Right));
}

int IndentManagerBasic::FloatBottom(TFloatSide side) const
{
    const TIndentRecords* records = Side(side);
    return records ? std::max(0, records->UnownedBottom().value_or(0)) : 0;
}

TClearanceBottoms IndentManagerBasic::ClearanceBottoms() const
{
    auto lowestFloat = [this](TFloatSide side) {
        const TIndentRecords* records = Side(side);
        const std::optional<int> bottom = records ? records->UnownedBottom() : std::nullopt;
        return bottom ? *bottom + 1 : 0;
    };
    return {lowestFloat(TFloatSide::Left), lowestFloat(TFloatSide::Right)};
}

int IndentManagerBasic::ListClearance() const
{
    const TIndentRecords* left = Side(TFloatSide::Left);
    if (!left)
        return 1;
    const int levelX = left->OpenLevelX(ListLevel).value_or(0);
    const std::optional<int> bottom = Larger(left->OpenBottomBeyond(levelX), left->UnownedBottomBeyond(levelX));
    return std::max(0, bottom.value_or(0)) + 1;
}

std::size_t IndentManagerBasic::LiveRecordCount(TFloatSide side) const
{
    const TIndentRecords* records = Side(side);
    return records ? records->LiveCount() : 0;
}
