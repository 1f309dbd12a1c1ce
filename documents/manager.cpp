#include "documents/manager.h"

#include "app/alert.h"
#include "app/preferences.h"
#include "app/string_table.h"
#include "documents/profile_catalogue.h"
#include "engine/color_space.h"
#include "foundation/stream.h"
#include "icc/profile.h"
#include "image/jpeg/jpeg.h"
#include "image/pixel_ops.h"
#include "image/tiff/tiff.h"

#include <vector>

namespace vemoraVeriglow {

using namespace vemora;
using namespace vemora::cms::vemICC;
using namespace vemora::cms::vemICC::nsp_VCE;

namespace {

enum AlertId : long {
    alertNotAnImage = 3000,
    alertCannotOpen = 3002,
    alertBadDirectory = 3003,
    alertCannotDecode = 3004,
    alertUnsupportedMode = 3006,
};

// The pack of a parsed profile; false when the engine cannot convert with it (a named-colour
// or device-link profile, say), since a chain node without a profile converts nothing.
bool makePack(ProfilePack* pack, const ICCProfile& profile, dxStream& stream, long base, unsigned short lang)
{
    PointerHolder<BaseProfile> engine = getProcessProfile(profile);
    if (engine.isNull())
        return false;
    std::vector<ICCProfileDescriptionPack> descriptions;
    UniString description;
    if (getProfileDescription(&descriptions, stream, base))
        trait_profile_name_by_language(&description, descriptions, lang);
    pack->description = description;
    pack->profile = engine;
    pack->profile_class = profile.header.getProfileClass();
    pack->default_intent = profile.header.getDefaultIntent();
    return true;
}

// RGB with three 1-byte channels gets a fourth byte of 255, the layout the display converts
// fastest; TIFF Lab is re-encoded with a and b offset. False for a mode no chain can start from.
bool prepareImage(GenericImage* image, bool tiffLabAllowed)
{
    const BitmapFormat& f = image->get_bitmap_format();
    switch (f.color_mode) {
    case BitmapFormat::modeRGB:
        if (f.channel_count == 3 && f.bytes_per_channel == 1 && f.bytes_per_pixel == 3)
            canvas_pixel_byte(image, 1, false, 255);
        return true;
    case BitmapFormat::modeCMYK:
        return true;
    case BitmapFormat::modeTiffLab:
        return tiffLabAllowed && convert_tifflab_to_pxlab(image);
    default:
        return false;
    }
}

} // namespace

VG_Manager::VG_Manager() : lang(nsp_GMSI::gmsi_GetCurrentLanguageCodeLetter2()) {}

int VG_Manager::get_support_image_type(const FileLocation& file)
{
    try {
        dxStream s(dxStream::sourceFile);
        if (!s.open(file, dxStream::readPermission, false))
            return 0;
        if (dxTIFF::IsTIFF(s))
            return 1;
        if (dxJPEG::is_jpeg(s))
            return 2;
    } catch (...) {
    }
    return 0;
}

namespace {

// What both readers share: opening the file, the catch-all and the alert of each failure.
// `decode` fills the pack and answers 0, or the alert id of what failed.
template <class Decode>
VG_Manager::ImageMap::iterator openWith(VG_Manager::ImageMap& images, const FileLocation& file, Decode decode)
{
    try {
        dxStream s(dxStream::sourceFile);
        if (!s.open(file, dxStream::readPermission, false)) {
            alert(alertCannotOpen);
            return images.end();
        }
        ImagePack pack;
        if (const long failure = decode(s, &pack)) {
            alert(failure);
            return images.end();
        }
        auto inserted = images.insert(std::make_pair(file, pack));
        return inserted.second ? inserted.first : images.end();
    } catch (...) {
        alert(alertCannotDecode);
        return images.end();
    }
}

} // namespace

VG_Manager::ImageMap::iterator VG_Manager::open_tiff_image(const FileLocation& file)
{
    return openWith(images, file, [&](dxStream& s, ImagePack* pack) -> long {
        dxTIFF tiff;
        tiff.Read(s);
        if (tiff.GetIFDCount() == 0 || !tiff.Is_IFDOK(0))
            return alertBadDirectory;
        PointerHolder<GenericImage> image;
        image.allocate(new GenericImage, true);
        if (!tiff.load_image(image.get(), 0))
            return alertCannotDecode;
        if (!prepareImage(image.get(), true))
            return alertUnsupportedMode;
        pack->image = image;
        pack->type = 1;
        const dxTIFF::IFD_struct& ifd = tiff.GetIFD(0);
        if (ifd.has_icc_profile) {
            // A damaged embedded profile leaves the image without one: it opens with the
            // default profile of its colour mode.
            try {
                pack->has_embed = get_profile_pack_by_location(&pack->embed_profile, file, ifd.icc_profile_offset);
            } catch (...) {
                pack->has_embed = false;
            }
            if (!pack->has_embed)
                pack->embed_profile = ProfilePack();
        }
        return 0;
    });
}

VG_Manager::ImageMap::iterator VG_Manager::open_jpeg_image(const FileLocation& file)
{
    return openWith(images, file, [&](dxStream& s, ImagePack* pack) -> long {
        dxJPEG jpeg;
        if (!jpeg.read_jpeg(dxJPEG::get_icc_profile_marker(), s) || jpeg.get_image().isNull())
            return alertCannotDecode;
        PointerHolder<GenericImage> image = jpeg.get_image();
        if (!prepareImage(image.get(), false))
            return alertUnsupportedMode;
        pack->image = image;
        pack->type = 2;
        std::vector<unsigned char> bytes;
        if (jpeg.get_icc_profile(bytes)) {
            // A profile that does not parse fails the whole file (the catch-all above).
            dxStream ms = ICCProfile::get_data_stream(bytes.data(), static_cast<unsigned long>(bytes.size()));
            ICCProfile profile;
            profile.read(ms);
            pack->has_embed = makePack(&pack->embed_profile, profile, ms, 0, lang);
            if (!pack->has_embed)
                pack->embed_profile = ProfilePack();
        }
        return 0;
    });
}

VG_Manager::ImageMap::iterator VG_Manager::find_or_open_image(const FileLocation& file)
{
    auto found = images.find(file);
    if (found != images.end())
        return found;
    switch (get_support_image_type(file)) {
    case 1:
        return open_tiff_image(file);
    case 2:
        return open_jpeg_image(file);
    default:
        alert(alertNotAnImage);
        return images.end();
    }
}

bool VG_Manager::create_setting_by_image_iterator(ProfileSetting* setting, ImageMap::iterator entry)
{
    if (entry == images.end() || entry->second.image.isNull())
        return false;
    const ImagePack& image = entry->second;
    const BitmapFormat& f = image.image->get_bitmap_format();
    switch (f.color_mode) {
    case BitmapFormat::modeRGB:
        setting->color_mode = colorModeRGB;
        setting->native_rgb_allowed = f.bytes_per_channel == 1;
        break;
    case BitmapFormat::modeCMYK:
        setting->color_mode = colorModeCMYK;
        setting->native_rgb_allowed = false;
        break;
    case BitmapFormat::modePxLab:
        setting->color_mode = colorModeLab;
        setting->native_rgb_allowed = false;
        break;
    default:
        alert(alertUnsupportedMode);
        return false;
    }
    setting->native_rgb_on = false;
    setting->intent_consistency = true;

    if (image.has_embed) {
        setting->set_embed_profile(image.embed_profile);
        setting->add_profile(image.embed_profile);
        return true;
    }
    if (setting->color_mode == colorModeLab) {
        setting->set_first_lab();
        return true;
    }

    // The store's default profile; the bundle's generic one when no store is open (tools).
    FileLocation location;
    const VG_Preference* preference = get_preference();
    const bool rgb = setting->color_mode == colorModeRGB;
    if (preference)
        location = rgb ? preference->get_default_rgb_profile() : preference->get_default_cmyk_profile();
    else if (!(rgb ? get_generic_rgb_profile(&location) : get_generic_cmyk_profile(&location)))
        return false;
    if (!is_icc_profile_by_loc(location))
        return false;
    ProfilePack pack;
    try {
        if (!get_profile_pack_by_location(&pack, location, 0))
            return false;
    } catch (...) {
        // A default profile that does not parse is no profile: the caller tells the user.
        return false;
    }
    setting->has_embedded = false;
    setting->use_embedded = false;
    setting->add_profile(pack);
    profiles.insert(std::make_pair(location, pack));
    return true;
}

bool VG_Manager::get_profile_pack_by_location(ProfilePack* pack, const FileLocation& location, unsigned long offset)
{
    auto cached = profiles.find(location);
    if (cached != profiles.end()) {
        *pack = cached->second;
        return true;
    }
    dxStream s(dxStream::sourceFile);
    if (!s.open(location, dxStream::readPermission, false))
        return false;
    ICCProfile profile(static_cast<long>(offset));
    profile.read(s);
    return makePack(pack, profile, s, static_cast<long>(offset), lang);
}

bool VG_Manager::build_proof_by_image(Proof* proof, ImageMap::iterator entry, const DisplayPair& display,
                                      uint32_t display_id)
{
    ProfileSetting setting;
    if (!create_setting_by_image_iterator(&setting, entry))
        return false;
    proof->window = nullptr;
    proof->image_location = entry->first;
    proof->image = entry->second;
    proof->display = display;
    proof->setting = setting;
    proof->update_link();
    proof->display_id = display_id;
    return true;
}

} // namespace vemoraVeriglow
