#pragma once
// The user's settings kept from one run to the next: the interface language and the default RGB
// and CMYK source profiles. A small big-endian file in the preference folder.
#include "foundation/location.h"
#include "foundation/stream.h"

namespace vemoraVeriglow {

class VG_Preference {
public:
    // Reads the file; a missing, short or stale one is replaced by the defaults (which only a
    // reader that owns the file, the application, writes back).
    bool read(bool writeDefaults = true);
    // The first-start settings: region 1 and the bundle's generic profiles.
    bool set_defaults();
    bool write();
    bool read_pref_data(vemora::dxStream& stream);
    bool write_pref_data(vemora::dxStream& stream);
    bool build_default_pref_data(vemora::dxStream& stream);

    vemora::FileLocation get_default_rgb_profile() const { return rgb_profile; }
    vemora::FileLocation get_default_cmyk_profile() const { return cmyk_profile; }

    bool flag = true;
    int32_t region = 1;
    vemora::FileLocation rgb_profile;
    vemora::FileLocation cmyk_profile;
};

bool open_pref_file(bool writeDefaults = true);
void close_pref_file();
VG_Preference* get_preference();

} // namespace vemoraVeriglow
