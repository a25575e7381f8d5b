#pragma once
// A link: the address it leads to and the name of the frame it targets.

#include <optional>
#include <string>
#include <string_view>

struct TUrlTarget {
    std::string Url;
    std::string Target;

    // Replaces only what is given.
    void Set(std::optional<std::string_view> url, std::optional<std::string_view> target = {})
    {
        if (url)
            Url = *url;
        if (target)
            Target = *target;
    }
    void Clear()
    {
        Url.clear();
        Target.clear();
    }
    bool operator==(const TUrlTarget&) const = default;
};
