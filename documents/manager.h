#pragma once
// The document manager: every decoded image (one per file), the cache of opened profiles (one per
// file), the proofs and the display profiles. Opening a file, choosing its default chain and
// building its proof need no window, so the command-line tools run the very same road; the
// proof windows and their messages build on top of these operations.
#include "documents/profile_setting.h"
#include "documents/proof.h"
#include "foundation/location.h"

#include <cstdint>
#include <map>
#include <set>
#include <utility>

namespace vemoraVeriglow {

class VGImageScrollWindowC1;

class VG_Manager {
public:
    using ImageMap = std::map<vemora::FileLocation, ImagePack>;
    using ProfileMap = std::map<vemora::FileLocation, ProfilePack>;
    using DisplayPair = std::pair<vemora::FileLocation, ProfilePack>;
    using ProofMap = std::map<VGImageScrollWindowC1*, Proof>;
    using DisplayMap = std::map<uint32_t, DisplayPair>;

    // Profile descriptions are chosen in the system's language.
    VG_Manager();
    virtual ~VG_Manager() = default;
    VG_Manager(const VG_Manager&) = delete;
    VG_Manager& operator=(const VG_Manager&) = delete;

    // 0 not supported, 1 TIFF, 2 JPEG; by content, never by name or type code.
    int get_support_image_type(const vemora::FileLocation& file);
    // Decode a file into a new `images` entry; the end iterator (after an alert) on failure.
    ImageMap::iterator open_tiff_image(const vemora::FileLocation& file);
    ImageMap::iterator open_jpeg_image(const vemora::FileLocation& file);
    // The entry of a file: the one already decoded, or a new one from the file's reader; the
    // end iterator (after an alert) when the file is no image we read.
    ImageMap::iterator find_or_open_image(const vemora::FileLocation& file);

    // The default chain of an image: its embedded profile, the Lab node, or the preferred
    // default RGB or CMYK profile. False for a mode without chain (after an alert) and, with no
    // message, when the default profile is no ICC profile.
    bool create_setting_by_image_iterator(ProfileSetting* setting, ImageMap::iterator entry);
    // An opened profile: from the cache when `profiles` holds the file, else read from the
    // profile that starts `offset` bytes into it. Parse errors propagate as exceptions.
    bool get_profile_pack_by_location(ProfilePack* pack, const vemora::FileLocation& location,
                                      unsigned long offset);

    // A new proof of an image entry with its default chain and its link to `display`: what a
    // proof window shows. False when the image has no default chain.
    bool build_proof_by_image(Proof* proof, ImageMap::iterator entry, const DisplayPair& display,
                              uint32_t display_id);

    // The two-letter language code profile descriptions are chosen by.
    unsigned short get_language() const { return lang; }
    void set_language(unsigned short code) { lang = code; }

    ImageMap images;
    ProfileMap profiles;
    ProofMap proofs;
    DisplayMap display_profiles;
    std::set<uint32_t> display_ids;

private:
    unsigned short lang = 0;
};

} // namespace vemoraVeriglow
