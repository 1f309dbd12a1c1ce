#pragma once
// What a proof shows: the opened profiles, the opened image and the chain of profiles (with
// intents and black point compensation) the image goes through before the display profile.
// Plain value records: copies share the engine profiles and images inside them.
#include "engine/base_profile.h"
#include "foundation/holders.h"
#include "foundation/unistring.h"
#include "icc/header.h"
#include "image/generic_image.h"

#include <vector>

namespace vemoraVeriglow {

using vemora::cms::vemICC::Intent;
using vemora::cms::vemICC::ProfileClass;

struct ProfilePack {
    vemora::UniString description;
    vemora::PointerHolder<vemora::cms::vemICC::nsp_VCE::BaseProfile> profile;
    ProfileClass profile_class = 0;
    Intent default_intent = 0;
};

struct ImagePack {
    vemora::PointerHolder<vemora::GenericImage> image;
    int32_t type = 0; // 1 TIFF, 2 JPEG
    bool has_embed = false;
    ProfilePack embed_profile;
};

struct PNodeSetting {
    bool is_lab = false;
    ProfilePack pack;
    Intent intent_in = 0;
    Intent intent_out = 0;
    bool bpc = false;
};

class ProfileSetting {
public:
    long get_node_count() const { return static_cast<long>(nodes.size()); }
    bool is_first_lab() const { return !nodes.empty() && nodes[0].is_lab; }
    void set_embed_profile(const ProfilePack& pack);
    void add_profile(const ProfilePack& pack);
    void set_profile(const ProfilePack& pack, long index);
    void set_none_profile(long index);
    void set_first_lab();
    void update_consistency_intent();

    vemora::ColorMode color_mode = vemora::colorModeRGB;
    bool native_rgb_allowed = false;
    bool native_rgb_on = false;
    bool intent_consistency = true;
    bool has_embedded = false;
    bool use_embedded = false;
    PNodeSetting embedded_node;
    std::vector<PNodeSetting> nodes;
    int32_t simulate = 0; // 0 none, 1 black ink, 2 paper white and black ink
};

} // namespace vemoraVeriglow
