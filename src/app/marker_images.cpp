#include "app/marker_images.h"

#include <array>

namespace vantrel {

// Generated at build time from assets/markers/*.png.
namespace marker_data {
extern const std::span<const std::uint8_t> rank_pinned, rank_1, rank_2, rank_3;
extern const std::span<const std::uint8_t> tag_hot, tag_new, tag_recommended, tag_boiling,
    tag_explosive;
extern const std::span<const std::uint8_t> program_icon;
}  // namespace marker_data

std::span<const std::uint8_t> MarkerPng(ImageGroup group, int element) {
    using namespace marker_data;
    const std::array<const std::span<const std::uint8_t>*, RANK_ICON_COUNT> ranks{
        &rank_pinned, &rank_1, &rank_2, &rank_3};
    const std::array<const std::span<const std::uint8_t>*, TAG_ICON_COUNT> tags{
        &tag_hot, &tag_new, &tag_recommended, &tag_boiling, &tag_explosive};
    if (element < 0 || element >= ImageGroupSize(group)) return {};
    return group == ImageGroup::kRankIcons ? *ranks[element] : *tags[element];
}

std::span<const std::uint8_t> ProgramIconPng() {
    return marker_data::program_icon;
}

Image MarkerImage(ImageGroup group, int element) {
    return DecodePng(MarkerPng(group, element));
}

Image ProgramIconImage() {
    return DecodePng(ProgramIconPng());
}

}  // namespace vantrel
