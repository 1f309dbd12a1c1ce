#pragma once
// Displays and their profiles: the desktop's screens, the screen under a point and the file
// of each screen's ICC profile (X11 _ICC_PROFILE / _ICC_PROFILE_n, then colord, then the
// bundled sRGB profile), so every display has a profile file the ICC reader can open.
#include "foundation/carbon_file.h"
#include "toolkit/platform/platform.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vemora::nsp_MacDisplayCalibrateUtility {

constexpr uint32_t kMonitorDeviceClass = 0x6D6E7472; // 'mntr'

struct CMDeviceInfo {
    uint32_t deviceClass = kMonitorDeviceClass;
    uint32_t deviceID = 0; // the display id
    std::string name;
    platform::Rect bounds; // global
};

// Where a display's profile came from.
enum class ProfileSource { None, X11Property, Colord, Bundled };

bool getSystemDisplayList(std::vector<CMDeviceInfo>& list);
uint32_t getMainDisplayID();
// The first display (of at most max) containing the global point; 0 when none does.
uint32_t getDisplayIDByPoint(const platform::HIPoint& point, uint32_t max);
bool getDisplayBounds(uint32_t id, platform::Rect* bounds);
// The file of the display's profile; a profile found in a root-window property is written to
// the user's cache folder under a name that changes with its content.
bool getDisplayProfileByDisplayID(FSRef* profile, uint32_t id, ProfileSource* source = nullptr);
// The display id of a screen name: stable across runs, never 0.
uint32_t displayIDOfName(const std::string& name);

} // namespace vemora::nsp_MacDisplayCalibrateUtility
