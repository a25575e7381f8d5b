#pragma once
// Where one painting drew each animated picture. The view that paints on
// the screen keeps the notes of its last painting: its clock moves on only
// the pictures it saw and repaints where they stand. A printer or a picture
// file keeps none, and the pictures themselves record nothing of a painting.

#include "engine/base/Rect.h"

#include <unordered_map>
#include <vector>

class TGIFImage;

class TAnimationNotes {
public:
    // A page that repeats a picture hundreds of times keeps one rectangle
    // around its places rather than a list without end.
    static constexpr std::size_t kMaxPlaces = 64;

    void Note(const TGIFImage& picture, const TRect& place)
    {
        std::vector<TRect>& places = places_[&picture];
        for (const TRect& known : places)
            if (known == place)
                return;
        places.push_back(place);
        if (places.size() <= kMaxPlaces)
            return;
        TRect around = places.front();
        for (const TRect& known : places)
            around = around.United(known);
        places.assign(1, around);
    }
    void Clear() { places_.clear(); }

    // Where the picture was drawn; empty when it was not.
    const std::vector<TRect>& Places(const TGIFImage& picture) const
    {
        static const std::vector<TRect> kNowhere;
        const auto found = places_.find(&picture);
        return found == places_.end() ? kNowhere : found->second;
    }

private:
    std::unordered_map<const TGIFImage*, std::vector<TRect>> places_;
};
