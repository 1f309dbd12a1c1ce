#include "toolkit/carbon_helpers.h"

namespace vemora::nsp_Carbon {

using namespace platform;

PlatformString copy_cfstring(const UniString& text)
{
    return text.toUTF8();
}

ControlRef get_control_by_id(WindowRef window, uint32_t signature, int32_t id)
{
    return window ? GetControlByID(window, signature, id) : nullptr;
}

bool set_control_title_string_by_id(WindowRef window, uint32_t signature, int32_t id, const UniString& text)
{
    ControlRef c = get_control_by_id(window, signature, id);
    return c && SetControlTitle(c, text) == noErr;
}

bool set_statictext_string(ControlRef control, const UniString& text)
{
    return control && SetControlText(control, text) == noErr;
}

bool set_statictext_string_by_id(WindowRef window, uint32_t signature, int32_t id, const UniString& text)
{
    return set_statictext_string(get_control_by_id(window, signature, id), text);
}

bool set_edit_text_by(ControlRef control, const UniString& text)
{
    return control && SetControlText(control, text) == noErr;
}

bool get_edit_text_by(UniString& out, ControlRef control)
{
    UniString text;
    if (!control || GetControlText(control, &text) != noErr)
        return false;
    out = text;
    return true;
}

bool is_event_class(uint32_t eventClass, uint32_t kind, EventRef event)
{
    return event && IsEventClass(*event, eventClass, kind);
}

bool get_event_command(uint32_t& command, EventRef event)
{
    if (!is_event_class(kEventClassCommand, kEventCommandProcess, event))
        return false;
    command = event->command;
    return true;
}

ControlRef event_get_control(EventRef event)
{
    return event ? event->control : nullptr;
}

MenuRef get_menu_pupup_button(ControlRef control)
{
    return control ? GetControlMenu(control) : nullptr;
}

bool set_popup_button_item_number(ControlRef control, int32_t n)
{
    if (!control)
        return false;
    SetControl32BitValue(control, n);
    return true;
}

MenuRef get_menu_bevel_button(ControlRef control)
{
    return control ? GetControlMenu(control) : nullptr;
}

bool set_bevel_button_item_number(ControlRef control, int16_t n)
{
    if (!control)
        return false;
    SetControl32BitValue(control, n);
    return true;
}

bool clear_menu_item(MenuRef menu)
{
    if (!menu)
        return false;
    uint16_t n = CountMenuItems(menu);
    if (n > 0)
        DeleteMenuItems(menu, 1, n);
    return true;
}

bool append_menu_item(MenuRef menu, const UniString& text)
{
    return menu && AppendMenuItemText(menu, text, 0) == noErr;
}

CGImageRef get_CGImageRef_by_gimage(const ToolkitImage& image, uint32_t alphaInfo)
{
    const ToolkitImageFormat& f = image_format(image);
    if (f.width <= 0 || f.height <= 0 || f.bytes_per_pixel != 4 || f.bytes_per_channel != 1)
        return nullptr;
    return CGImageCreate(size_t(f.width), size_t(f.height), 8, 32, size_t(f.row_bytes), alphaInfo,
                         image_bitmap(image));
}

} // namespace vemora::nsp_Carbon
