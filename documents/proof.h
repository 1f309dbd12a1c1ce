#pragma once
// One open proof: an image, the chain it is shown through, the display it stands on, and the
// colour link its view renders with. update_link is where the soft-proofing rules live.
#include "documents/profile_setting.h"
#include "engine/color_space.h"
#include "foundation/location.h"

#include <utility>

namespace vemoraVeriglow {

class VGImageScrollWindowC1;

class Proof {
public:
    // Rebuilds `sequence` and `link` from the chain, the simulation mode and the display
    // profile. A link handed out is never changed: a new one replaces it.
    void update_link();

    VGImageScrollWindowC1* window = nullptr;
    vemora::FileLocation image_location;
    ImagePack image;
    std::pair<vemora::FileLocation, ProfilePack> display;
    uint32_t display_id = 0;
    ProfileSetting setting;
    vemora::PointerHolder<vemora::cms::vemICC::nsp_VCE::ColorSpace> link;
    vemora::cms::vemICC::nsp_VCE::ColorSpace::Chain sequence;
};

// Turns the proof's image by 90 degrees into a new image; the decoded image the manager keeps
// for the file, and the link, stay as they are.
void rotate_proof_image(Proof* proof, bool right);

} // namespace vemoraVeriglow
