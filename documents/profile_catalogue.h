#pragma once
// The profiles a user can pick: the two generic profiles of the bundle and every profile in the
// system's and the user's profile folders, grouped by folder and found again by description.
#include "foundation/color_mode.h"
#include "foundation/location.h"
#include "icc/header.h"
#include "icc/profile.h"

#include <vector>

namespace vemora::cms::vemICC {

struct ProfileItem {
    FileLocation location;
    UniString description;
    ColorMode color = colorModeUndefined;
    ProfileClass profile_class = 0;
    int32_t index = 0; // 1, 2, 3 … in scan order; -10 for an item made from one file
};

using ProfileGroup = std::vector<ProfileItem>;
using ProfileGroups = std::vector<ProfileGroup>;

struct FindProfileByDescription {
    UniString description;
    bool operator()(const ProfileItem& item) const { return item.description == description; }
};

// One group per profile folder (and its subfolders, breadth first), from the most general folder
// to the user's; a description already listed hides later profiles with the same one.
void build_profile_list_group(ProfileGroups* groups, unsigned short lang);

} // namespace vemora::cms::vemICC

namespace vemoraVeriglow {

using vemora::cms::vemICC::ProfileGroups;
using vemora::cms::vemICC::ProfileItem;

bool get_generic_rgb_profile(vemora::FileLocation* out);
bool get_generic_cmyk_profile(vemora::FileLocation* out);
void build_generic_profile_item_list(std::vector<ProfileItem>* items);
bool make_profile_item_by_loc(ProfileItem* item, const vemora::FileLocation& location);
bool is_icc_profile_by_loc(const vemora::FileLocation& location);
bool is_valid_profile_class(vemora::cms::vemICC::ProfileClass c, const std::vector<vemora::cms::vemICC::ProfileClass>& classes);
bool is_valid_profile_color(vemora::ColorMode c, const std::vector<vemora::ColorMode>& colours);

// The description chosen for a language: the first, or the first in `lang` when there are two or more.
bool trait_profile_name_by_language(vemora::UniString* out,
                                    const std::vector<vemora::cms::vemICC::ICCProfileDescriptionPack>& descriptions,
                                    unsigned short lang);
bool find_profile_item_by_description(const ProfileGroups& groups, const vemora::UniString& description,
                                      ProfileItem* found);
void trait_profile_list_group_by_class(ProfileGroups* out, const ProfileGroups& groups,
                                       const std::vector<vemora::cms::vemICC::ProfileClass>& classes);
void trait_profile_list_group_by_color(ProfileGroups* out, const ProfileGroups& groups,
                                       const std::vector<vemora::ColorMode>& colours);

} // namespace vemoraVeriglow
