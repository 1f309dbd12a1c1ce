#include "documents/profile_catalogue.h"

#include "app/folders.h"
#include "app/string_table.h"
#include "foundation/carbon_file.h"
#include "foundation/stream.h"
#include "icc/profile.h"

#include <algorithm>

namespace vemora::cms::vemICC {

using namespace vemoraVeriglow;

namespace {

// Only the groups before this folder's count: two profiles of one folder with one description
// both stay.
bool descriptionListed(const ProfileGroups& groups, const UniString& d)
{
    const FindProfileByDescription same{d};
    return std::any_of(groups.begin(), groups.end(),
                       [&](const ProfileGroup& g) { return std::any_of(g.begin(), g.end(), same); });
}

} // namespace

void build_profile_list_group(ProfileGroups* groups, unsigned short lang)
{
    int32_t index = 1;
    for (const FSRef& root : nsp_MacCarbonFile::getProfileFolders()) {
        std::vector<FSRef> folders{root};
        nsp_MacCarbonFile::getDeepActualObjectByFolder(folders, root, false, true, false);
        for (const FSRef& folder : folders) {
            std::vector<FSRef> children, files;
            nsp_MacCarbonFile::getObjectsByFolder(children, folder, false);
            nsp_MacCarbonFile::retrieveActualObjectsByFSRefArray(files, children, true, false);
            ProfileGroup group;
            for (const FSRef& file : files) {
                try {
                    dxStream s(dxStream::sourceFile);
                    if (!s.doOpen(file, dxStream::readPermission) || !isICCProfile(s, 0))
                        continue;
                    std::vector<ICCProfileDescriptionPack> descriptions;
                    UniString description;
                    if (!getProfileDescription(&descriptions, s, 0) ||
                        !trait_profile_name_by_language(&description, descriptions, lang))
                        continue;
                    if (descriptionListed(*groups, description))
                        continue;
                    Header header;
                    if (!readICCProfileHeader(&header, s, 0))
                        continue;
                    ProfileItem item;
                    item.location = FileLocation(file);
                    item.description = description;
                    item.color = header.getDCSColor();
                    item.profile_class = header.getProfileClass();
                    item.index = index++;
                    group.push_back(item);
                } catch (...) {
                    // An unreadable file is no profile.
                }
            }
            if (!group.empty())
                groups->push_back(group);
        }
    }
}

} // namespace vemora::cms::vemICC

namespace vemoraVeriglow {

using namespace vemora;
using namespace vemora::cms::vemICC;

namespace {

bool resourceLocation(long parameter, FileLocation* out)
{
    DirLocation dir;
    if (!get_resource_dir(&dir))
        return false;
    UniString name = get_param_string_by_id(parameter);
    // Parameter files may name a subfolder: "profiles/Veriglow sRGB.icc".
    std::string path = name.toUTF8();
    DirLocation folder = dir;
    for (std::size_t slash; (slash = path.find('/')) != std::string::npos; path.erase(0, slash + 1)) {
        DirLocation sub;
        if (!folder.getSubDir(&sub, UniString::fromUTF8(path.substr(0, slash))))
            return false;
        folder = sub;
    }
    const FileLocation loc(folder, UniString::fromUTF8(path), 0);
    dxStream s(dxStream::sourceFile);
    if (!s.open(loc, dxStream::readPermission, false))
        return false;
    *out = loc;
    return true;
}

} // namespace

bool get_generic_rgb_profile(FileLocation* out) { return resourceLocation(1100, out); }
bool get_generic_cmyk_profile(FileLocation* out) { return resourceLocation(1101, out); }

void build_generic_profile_item_list(std::vector<ProfileItem>* items)
{
    for (auto get : {get_generic_rgb_profile, get_generic_cmyk_profile}) {
        FileLocation loc;
        ProfileItem item;
        if (get(&loc) && make_profile_item_by_loc(&item, loc))
            items->push_back(item);
    }
}

bool make_profile_item_by_loc(ProfileItem* item, const FileLocation& location)
{
    try {
        dxStream s(dxStream::sourceFile);
        if (!location.isExist() || !s.open(location, dxStream::readPermission, false) || !isICCProfile(s, 0))
            return false;
        std::vector<ICCProfileDescriptionPack> descriptions;
        if (!getProfileDescription(&descriptions, s, 0) || descriptions.empty())
            return false;
        // The first description, replaced by every later one in the system's language.
        const unsigned short lang = nsp_GMSI::gmsi_GetCurrentLanguageCodeLetter2();
        UniString description = descriptions[0].name;
        for (std::size_t i = 1; i < descriptions.size(); ++i)
            if (descriptions[i].language == lang)
                description = descriptions[i].name;
        Header header;
        if (!readICCProfileHeader(&header, s, 0))
            return false;
        item->location = location;
        item->description = description;
        item->color = header.getDCSColor();
        item->profile_class = header.getProfileClass();
        item->index = -10;
        return true;
    } catch (...) {
        return false;
    }
}

bool is_icc_profile_by_loc(const FileLocation& location)
{
    try {
        dxStream s(dxStream::sourceFile);
        return location.isExist() && s.open(location, dxStream::readPermission, false) && isICCProfile(s, 0);
    } catch (...) {
        return false;
    }
}

bool is_valid_profile_class(ProfileClass c, const std::vector<ProfileClass>& classes)
{
    return std::find(classes.begin(), classes.end(), c) != classes.end();
}

bool is_valid_profile_color(ColorMode c, const std::vector<ColorMode>& colours)
{
    return std::find(colours.begin(), colours.end(), c) != colours.end();
}

bool trait_profile_name_by_language(UniString* out, const std::vector<ICCProfileDescriptionPack>& d,
                                    unsigned short lang)
{
    if (d.empty())
        return false;
    *out = d[0].name;
    if (d.size() >= 2)
        for (const auto& pack : d)
            if (pack.language == lang) {
                *out = pack.name;
                break;
            }
    return true;
}

bool find_profile_item_by_description(const ProfileGroups& groups, const UniString& description, ProfileItem* found)
{
    const FindProfileByDescription same{description};
    for (const auto& g : groups) {
        auto it = std::find_if(g.begin(), g.end(), same);
        if (it != g.end()) {
            if (found)
                *found = *it;
            return true;
        }
    }
    return false;
}

namespace {

template <class Keep>
void filterGroups(ProfileGroups* out, const ProfileGroups& groups, Keep keep)
{
    for (const auto& g : groups) {
        ProfileGroup kept;
        std::copy_if(g.begin(), g.end(), std::back_inserter(kept), keep);
        if (!kept.empty())
            out->push_back(kept);
    }
}

} // namespace

void trait_profile_list_group_by_class(ProfileGroups* out, const ProfileGroups& groups,
                                       const std::vector<ProfileClass>& classes)
{
    filterGroups(out, groups, [&](const ProfileItem& i) { return is_valid_profile_class(i.profile_class, classes); });
}

void trait_profile_list_group_by_color(ProfileGroups* out, const ProfileGroups& groups,
                                       const std::vector<ColorMode>& colours)
{
    filterGroups(out, groups, [&](const ProfileItem& i) { return is_valid_profile_color(i.color, colours); });
}

} // namespace vemoraVeriglow
