#include "documents/profile_setting.h"

namespace vemoraVeriglow {

void ProfileSetting::set_embed_profile(const ProfilePack& pack)
{
    has_embedded = true;
    use_embedded = true;
    embedded_node.pack = pack;
    embedded_node.intent_out = pack.default_intent;
}

void ProfileSetting::add_profile(const ProfilePack& pack)
{
    PNodeSetting node;
    node.pack = pack;
    node.intent_in = node.intent_out = pack.default_intent;
    nodes.push_back(node);
    update_consistency_intent();
}

void ProfileSetting::set_profile(const ProfilePack& pack, long index)
{
    if (index == get_node_count())
        add_profile(pack);
    else if (index >= 0 && index < get_node_count())
        nodes[static_cast<std::size_t>(index)].pack = pack;
}

void ProfileSetting::set_none_profile(long index)
{
    if (index > 0 && index < get_node_count())
        nodes.resize(static_cast<std::size_t>(index));
}

void ProfileSetting::set_first_lab()
{
    color_mode = vemora::colorModeLab;
    native_rgb_allowed = native_rgb_on = has_embedded = use_embedded = false;
    PNodeSetting node;
    node.is_lab = true;
    nodes.push_back(node);
}

void ProfileSetting::update_consistency_intent()
{
    if (!intent_consistency)
        return;
    for (std::size_t k = 0; k + 1 < nodes.size(); ++k)
        nodes[k].intent_out = nodes[k + 1].intent_in;
    if (use_embedded && nodes.size() >= 2)
        embedded_node.intent_out = nodes[1].intent_in;
}

} // namespace vemoraVeriglow
