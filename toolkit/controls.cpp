#include "toolkit/controls.h"

#include "toolkit/carbon_helpers.h"

namespace vemora::nsp_Carbon {

using namespace platform;

namespace {

Rect offsetRect(const Rect& r, int dx, int dy)
{
    Rect o;
    o.top = int16_t(r.top + dy);
    o.left = int16_t(r.left + dx);
    o.bottom = int16_t(r.bottom + dy);
    o.right = int16_t(r.right + dx);
    return o;
}

bool isWindowRedrawKind(EventRef e, uint32_t* kind)
{
    if (e->eventClass != kEventClassWindow)
        return false;
    *kind = e->kind;
    return true;
}

} // namespace

// ---------------------------------------------------------------- Control

Control::Control()
{
    set_event_callback(&Control::st_control_event, this);
}

Control::~Control()
{
    if (owns_control_ && control_)
        DisposeControl(control_);
    control_ = nullptr;
}

OSStatus Control::st_control_event(EventHandlerCallRef, EventRef event, void* data)
{
    return static_cast<Control*>(data)->control_event_handler(event);
}

void Control::create()
{
    create_self();
    owns_control_ = control_ != nullptr;
}

void Control::parent_origin(int& x, int& y) const
{
    x = 0;
    y = 0;
    if (const View* p = get_super_view()) {
        if (p->is_window())
            return;
        Rect pr = p->get_local_view_rect();
        x = pr.left;
        y = pr.top;
    }
}

bool Control::use_control_by_id(uint32_t signature, int32_t id)
{
    Window* w = find_window();
    ControlRef c = w ? get_control_by_id(w->get_window_ref(), signature, id) : nullptr;
    if (!c)
        return false;
    use_control(c);
    return true;
}

void Control::use_control(ControlRef control)
{
    control_ = control;
    owns_control_ = false;
    // The control keeps the place the interface file gave it, at its preferred size.
    if (control_)
        set_view_rect(get_view_rect());
}

void Control::hold_control(ControlRef control, bool owns)
{
    control_ = control;
    owns_control_ = owns;
}

void Control::set_view_rect(const Rect& r)
{
    rect_ = r;
    if (!control_)
        return;
    int x, y;
    parent_origin(x, y);
    Rect w = offsetRect(r, x, y);
    SetControlBounds(control_, w);
    Rect best;
    if (GetBestControlRect(control_, &best) == noErr)
        SetControlBounds(control_, best);
}

Rect Control::get_view_rect() const
{
    if (!control_)
        return rect_;
    Rect b;
    GetControlBounds(control_, &b);
    int x, y;
    parent_origin(x, y);
    return offsetRect(b, -x, -y);
}

Rect Control::get_local_view_rect() const
{
    if (!control_)
        return view_rect_to_local(rect_);
    Rect b;
    GetControlBounds(control_, &b);
    return b;
}

void Control::set_enable(bool b)
{
    b ? enable() : disable();
}

void Control::enable()
{
    if (control_)
        EnableControl(control_);
}

void Control::disable()
{
    if (control_)
        DisableControl(control_);
}

bool Control::is_enable() const
{
    return control_ && IsControlEnabled(control_);
}

void Control::set_show(bool b)
{
    b ? show() : hide();
}

void Control::hide()
{
    if (control_)
        HideControl(control_);
}

void Control::show()
{
    if (control_)
        ShowControl(control_);
}

bool Control::is_show() const
{
    return control_ && IsControlVisible(control_);
}

void Control::set_text(const UniString& text)
{
    if (control_)
        SetControlTitle(control_, text);
}

UniString Control::get_text() const
{
    UniString t;
    if (control_)
        CopyControlTitle(control_, &t);
    return t;
}

void Control::draw_self()
{
    if (control_)
        Draw1Control(control_);
}

OSStatus Control::handle_event(EventHandlerCallRef call, EventRef event)
{
    if (control_ && !(IsControlActive(control_) && IsControlVisible(control_) && IsControlEnabled(control_)))
        return eventNotHandledErr;
    return View::handle_event(call, event);
}

void Control::set_min_value(int32_t v)
{
    if (control_)
        SetControl32BitMinimum(control_, v);
}

void Control::set_max_value(int32_t v)
{
    if (control_)
        SetControl32BitMaximum(control_, v);
}

void Control::set_value(int32_t v)
{
    if (control_)
        SetControl32BitValue(control_, v);
}

int32_t Control::get_min_value() const
{
    return control_ ? GetControl32BitMinimum(control_) : 0;
}

int32_t Control::get_max_value() const
{
    return control_ ? GetControl32BitMaximum(control_) : 0;
}

int32_t Control::get_value() const
{
    return control_ ? GetControl32BitValue(control_) : 0;
}

void Control::set_active(bool b)
{
    b ? active() : deactive();
}

void Control::active()
{
    if (control_)
        ActivateControl(control_);
}

void Control::deactive()
{
    if (control_)
        DeactivateControl(control_);
}

bool Control::is_active() const
{
    return control_ && IsControlActive(control_);
}

OSStatus Control::control_event_handler(EventRef event)
{
    if (IsEventClass(*event, kEventClassControl, kEventControlDraw) && control_ && event->control == control_) {
        draw_self();
        return noErr;
    }
    return eventNotHandledErr;
}

// ---------------------------------------------------------------- ScrollBar

void ScrollBar::create_self()
{
    if (control_)
        return;
    Window* w = find_window();
    if (!w || !w->get_window_ref())
        return;
    ControlRef c = nullptr;
    if (CreateScrollBarControl(w->get_window_ref(), get_local_view_rect(), 0, 0, 0, 0, true, nullptr, &c) != noErr)
        return;
    control_ = c;
    update_action_handler();
}

bool ScrollBar::use_control_by_id(uint32_t signature, int32_t id)
{
    bool ok = Control::use_control_by_id(signature, id);
    update_action_handler();
    return ok;
}

void ScrollBar::hold_control(ControlRef control, bool owns)
{
    Control::hold_control(control, owns);
    update_action_handler();
}

void ScrollBar::update_action_handler()
{
    if (!control_)
        return;
    SetControlReference(control_, this);
    SetControlAction(control_, [](ControlRef c, int16_t part) {
        if (auto* bar = static_cast<ScrollBar*>(GetControlReference(c)))
            bar->control_action_handler(part);
    });
}

void ScrollBar::control_action_handler(ControlPartT part)
{
    if (action_callback_)
        action_callback_(part, this, action_data_);
}

void ScrollBar::set_action_callback(ActionCallback cb, void* data)
{
    action_callback_ = cb;
    action_data_ = data;
}

void ScrollBar::set_bar_size(int32_t size)
{
    if (control_)
        SetControlViewSize(control_, size);
}

void ScrollBar::set_bar_ratio(int32_t viewSize, int32_t minimum, int32_t total)
{
    set_min_value(minimum);
    set_bar_size(viewSize);
    set_max_value(total - viewSize);
}

// ---------------------------------------------------------------- ThemeTextBox, ThemePlacard

void ThemeTextBox::draw_self()
{
    Window* w = find_window();
    if (!w || !w->get_window_ref())
        return;
    CGContextRef ctx = QDBeginCGContext(w->get_window_ref());
    if (!ctx)
        return;
    if (draw_state_ == kThemeStateActive)
        CGContextSetRGBFillColor(ctx, color_.red, color_.green, color_.blue, color_.alpha);
    else
        CGContextSetRGBFillColor(ctx, 0.5, 0.5, 0.5, 1.0);
    DrawThemeTextBox(text_, font_, draw_state_, wrap_, get_local_view_rect(), int16_t(justification_), ctx);
    CGContextSynchronize(ctx);
    QDEndCGContext(w->get_window_ref(), &ctx);
}

// The theme views follow the window's activation and redraw on request; they never take
// the event.
template <class V>
static OSStatus themeViewEvent(V* v, EventRef event, void (*setState)(V*, uint32_t))
{
    uint32_t kind = 0;
    if (!isWindowRedrawKind(event, &kind))
        return eventNotHandledErr;
    if (kind == kEventWindowDrawContent) {
        v->draw_self();
    } else if (kind == kEventWindowActivated || kind == kEventWindowDeactivated) {
        setState(v, kind == kEventWindowActivated ? kThemeStateActive : kThemeStateInactive);
        v->need_update_draw();
    }
    return eventNotHandledErr;
}

OSStatus ThemeTextBox::handle_event_self(EventHandlerCallRef, EventRef event)
{
    return themeViewEvent<ThemeTextBox>(this, event, [](ThemeTextBox* t, uint32_t s) { t->draw_state_ = s; });
}

void ThemePlacard::draw_self()
{
    Window* w = find_window();
    if (!w || !w->get_window_ref())
        return;
    CGContextRef ctx = QDBeginCGContext(w->get_window_ref());
    if (!ctx)
        return;
    DrawThemePlacard(get_local_view_rect(), uint32_t(draw_state_), ctx);
    CGContextSynchronize(ctx);
    QDEndCGContext(w->get_window_ref(), &ctx);
}

OSStatus ThemePlacard::handle_event_self(EventHandlerCallRef, EventRef event)
{
    return themeViewEvent<ThemePlacard>(this, event,
                                        [](ThemePlacard* p, uint32_t s) { p->draw_state_ = int32_t(s); });
}

// ---------------------------------------------------------------- ImageButton

ImageButton::ImageButton()
{
    rect_.bottom = 40;
    rect_.right = 40;
}

void ImageButton::init()
{
    if (Window* w = find_window())
        w->add_event({{kEventClassMouse, kEventMouseDown},
                      {kEventClassMouse, kEventMouseUp},
                      {kEventClassMouse, kEventMouseMoved},
                      {kEventClassMouse, kEventMouseDragged}});
}

void ImageButton::set_button_image(CGImageRef normal, CGImageRef over, CGImageRef pressed, CGImageRef inactive)
{
    CGImageRef in[4] = {normal, over, pressed, inactive};
    for (int i = 0; i < 4; ++i)
        if (in[i])
            images_[i] = in[i];
}

void ImageButton::set_toggle_image(CGImageRef activeOff, CGImageRef inactiveOff, CGImageRef activeOn,
                                   CGImageRef inactiveOn)
{
    CGImageRef in[4] = {activeOff, inactiveOff, activeOn, inactiveOn};
    for (int i = 0; i < 4; ++i)
        if (in[i])
            toggle_images_[i] = in[i];
}

void ImageButton::set_click_callback(ClickCallback cb, void* data)
{
    click_callback_ = cb;
    click_data_ = data;
}

void ImageButton::do_command()
{
    if (toggle_enable_)
        toggle_ = !toggle_;
    if (click_callback_)
        click_callback_(this, click_data_);
}

void ImageButton::set_state(int32_t s)
{
    state_ = s;
    need_update_draw();
}

bool ImageButton::point_inside(EventRef event) const
{
    Window* w = find_window();
    if (!w)
        return false;
    Rect content = w->get_view_rect(); // global
    int x = int(event->mouseLocation.x) - content.left;
    int y = int(event->mouseLocation.y) - content.top;
    local_to_view(x, y);
    Rect r = get_view_rect();
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

OSStatus ImageButton::handle_event_self(EventHandlerCallRef, EventRef event)
{
    if (event->eventClass == kEventClassWindow) {
        if (event->kind == kEventWindowDrawContent)
            draw_self();
        else if (event->kind == kEventWindowActivated || event->kind == kEventWindowDeactivated)
            need_update_draw();
        return eventNotHandledErr;
    }
    if (event->eventClass != kEventClassMouse)
        return eventNotHandledErr;
    Window* w = find_window();
    if (!w || !w->is_window_active())
        return eventNotHandledErr;
    bool inside = point_inside(event);
    switch (event->kind) {
    case kEventMouseDown:
        if (!inside) {
            tracking_ = false;
            set_state(kNormal);
            return eventNotHandledErr;
        } else {
            bool ran = false;
            if (command_signal_ == kMouseDown) {
                do_command();
                ran = true;
            }
            tracking_ = true;
            set_state(kPressed);
            return ran ? noErr : eventNotHandledErr;
        }
    case kEventMouseDragged:
        set_state(tracking_ && inside ? kPressed : kNormal);
        return eventNotHandledErr;
    case kEventMouseUp: {
        // A release ends the press wherever it happens, so a later release cannot act on an
        // old press.
        bool wasTracking = tracking_;
        tracking_ = false;
        if (!inside) {
            if (state_ == kPressed)
                set_state(kNormal);
            return eventNotHandledErr;
        }
        bool ran = false;
        if (command_signal_ == kMouseUp && wasTracking) {
            do_command();
            ran = true;
        }
        hover_ = true;
        set_state(kOver);
        return ran ? noErr : eventNotHandledErr;
    }
    case kEventMouseMoved:
        if (inside && !hover_) {
            hover_ = true;
            set_state(kOver);
        } else if (!inside && hover_) {
            hover_ = false;
            set_state(kNormal);
        }
        return eventNotHandledErr;
    default:
        return eventNotHandledErr;
    }
}

void ImageButton::draw_self()
{
    Window* w = find_window();
    if (!w || !w->get_window_ref())
        return;
    WindowRef wr = w->get_window_ref();
    Rect local = get_local_view_rect();
    SetThemePen(wr, 5, 8, true);
    PaintRect(wr, local);
    CGContextRef ctx = QDBeginCGContext(wr);
    if (!ctx)
        return;
    bool activeWindow = w->is_window_active();
    CGRect dst{double(local.left), double(local.top), double(local.right - local.left),
               double(local.bottom - local.top)};
    CGImageRef picture = activeWindow ? images_[state_ == kPressed ? 2 : state_ == kOver ? 1 : 0] : images_[3];
    if (picture)
        CGContextDrawImage(ctx, dst, picture);
    if (toggle_enable_) {
        CGImageRef overlay = activeWindow ? (toggle_ ? toggle_images_[2] : toggle_images_[0])
                                          : (toggle_ ? toggle_images_[3] : toggle_images_[1]);
        if (overlay)
            CGContextDrawImage(ctx, dst, overlay);
    }
    CGContextSynchronize(ctx);
    QDEndCGContext(wr, &ctx);
}

} // namespace vemora::nsp_Carbon
