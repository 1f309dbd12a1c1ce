#pragma once
// Helpers every panel and view repeats: controls of a window built from the interface file,
// their texts and menus, commands and controls of events, platform strings and images.
#include "toolkit/picture.h"
#include "toolkit/platform/platform.h"

#include "foundation/unistring.h"

namespace vemora::nsp_Carbon {

using platform::ControlRef;
using platform::EventRef;
using platform::MenuRef;
using platform::WindowRef;
using UniString = BasicUniString<unsigned short>;

// The platform string of a text (UTF-8 on this system).
PlatformString copy_cfstring(const UniString& text);

// Owns one platform string made from a text.
class CFStringScoper {
public:
    explicit CFStringScoper(const UniString& text) : string_(copy_cfstring(text)) {}
    operator const PlatformString&() const { return string_; }

private:
    PlatformString string_;
};

ControlRef get_control_by_id(WindowRef window, uint32_t signature, int32_t id);
bool set_control_title_string_by_id(WindowRef window, uint32_t signature, int32_t id, const UniString& text);
bool set_statictext_string(ControlRef control, const UniString& text);
bool set_statictext_string_by_id(WindowRef window, uint32_t signature, int32_t id, const UniString& text);
bool set_edit_text_by(ControlRef control, const UniString& text);
bool get_edit_text_by(UniString& out, ControlRef control);

bool is_event_class(uint32_t eventClass, uint32_t kind, EventRef event);
bool get_event_command(uint32_t& command, EventRef event);
ControlRef event_get_control(EventRef event);

MenuRef get_menu_pupup_button(ControlRef control);
bool set_popup_button_item_number(ControlRef control, int32_t n);
MenuRef get_menu_bevel_button(ControlRef control);
bool set_bevel_button_item_number(ControlRef control, int16_t n);
bool clear_menu_item(MenuRef menu);
bool append_menu_item(MenuRef menu, const UniString& text);

// A platform image over the picture's pixels (not copied: the picture must outlive it).
// Alpha info 5 for screen tiles (RGBx), 1 for interface pictures (RGBA, premultiplied).
platform::CGImageRef get_CGImageRef_by_gimage(const ToolkitImage& image, uint32_t alphaInfo);

} // namespace vemora::nsp_Carbon
