#include "app/marker_images.h"

#include <array>

namespace vantrel {

// Generated at build time from assets/markers/*.png.
namespace marker_data {
extern const std::span<const std::uint8_t> rank_pinned, rank_1, rank_2, rank_3;
extern const std::span<const std::uint8_t> tag_hot, tag_new, tag_recommended, tag_boiling,
    tag_explosive;
extern const std::span<const std::uint8_t> program_icon;
extern const std::span<const std::uint8_t> rank_pinned_2x, rank_1_2x, rank_2_2x, rank_3_2x;
extern const std::span<const std::uint8_t> tag_hot_2x, tag_new_2x, tag_recommended_2x,
    tag_boiling_2x, tag_explosive_2x;
extern const std::span<const std::uint8_t> program_icon_2x;
}  // namespace marker_data

namespace {

using Png = const std::span<const std::uint8_t>*;
using namespace marker_data;

constexpr std::array<std::array<Png, RANK_ICON_COUNT>, 2> kRanks{{
    {&rank_pinned, &rank_1, &rank_2, &rank_3},
    {&rank_pinned_2x, &rank_1_2x, &rank_2_2x, &rank_3_2x},
}};
constexpr std::array<std::array<Png, TAG_ICON_COUNT>, 2> kTags{{
    {&tag_hot, &tag_new, &tag_recommended, &tag_boiling, &tag_explosive},
    {&tag_hot_2x, &tag_new_2x, &tag_recommended_2x, &tag_boiling_2x, &tag_explosive_2x},
}};

bool KnownScale(int scale) {
    return scale == 1 || scale == 2;
}

}  // namespace

std::span<const std::uint8_t> MarkerPng(ImageGroup group, int element, int scale) {
    if (!KnownScale(scale) || element < 0 || element >= ImageGroupSize(group)) return {};
    const auto at = static_cast<std::size_t>(element);
    return group == ImageGroup::kRankIcons ? *kRanks[scale - 1][at] : *kTags[scale - 1][at];
}

std::span<const std::uint8_t> ProgramIconPng(int scale) {
    if (!KnownScale(scale)) return {};
    return scale == 1 ? program_icon : program_icon_2x;
}

Image MarkerImage(ImageGroup group, int element, int scale) {
    return DecodePng(MarkerPng(group, element, scale));
}

Image ProgramIconImage(int scale) {
    return DecodePng(ProgramIconPng(scale));
}

}  // namespace vantrel
