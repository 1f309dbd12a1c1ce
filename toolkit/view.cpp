#include "toolkit/view.h"

#include <algorithm>

namespace vemora::nsp_Carbon {

using namespace platform;

// ---------------------------------------------------------------- View

View::View() : ListerException<View, ExceptionDebuggErrorID>(this) {}

View::View(const View& o)
    : ListerException<View, ExceptionDebuggErrorID>(this), listen_events_(o.listen_events_),
      event_order_(o.event_order_), draw_order_(o.draw_order_), needs_draw_(o.needs_draw_), rect_(o.rect_)
{
}

View::~View()
{
    delete_sub_views();
    if (super_view_)
        super_view_->extract_sub_view(this);
    unregisterDebugingPointer(this, "View");
}

void View::delete_sub_views()
{
    std::vector<View*> children;
    children.swap(sub_views_);
    event_map_.clear();
    draw_map_.clear();
    for (View* c : children) {
        c->super_view_ = nullptr;
        delete c;
    }
}

void View::erase_from(std::multimap<int32_t, View*>& map, View* v)
{
    for (auto it = map.begin(); it != map.end();)
        it = it->second == v ? map.erase(it) : std::next(it);
}

void View::add_sub_view(View* child)
{
    if (!child || child == this)
        return;
    if (child->super_view_)
        child->super_view_->extract_sub_view(child);
    sub_views_.push_back(child);
    event_map_.emplace(child->event_order_, child);
    draw_map_.emplace(child->draw_order_, child);
    child->set_super_view(this);
}

void View::enter_to_super(View* parent)
{
    if (parent)
        parent->add_sub_view(this);
}

void View::extract_sub_view(View* child)
{
    auto it = std::find(sub_views_.begin(), sub_views_.end(), child);
    if (it == sub_views_.end())
        return;
    sub_views_.erase(it);
    erase_from(event_map_, child);
    erase_from(draw_map_, child);
    child->set_super_view(nullptr);
}

void View::set_draw_order(int32_t n)
{
    if (super_view_) {
        erase_from(super_view_->draw_map_, this);
        super_view_->draw_map_.emplace(n, this);
    }
    draw_order_ = n;
}

void View::set_event_order(int32_t n)
{
    if (super_view_) {
        erase_from(super_view_->event_map_, this);
        super_view_->event_map_.emplace(n, this);
    }
    event_order_ = n;
}

void View::set_view_rect(const Rect& r)
{
    rect_ = r;
}

Rect View::get_view_rect() const
{
    return rect_;
}

Rect View::get_local_view_rect() const
{
    return view_rect_to_local(get_view_rect());
}

void View::view_to_local(int& x, int& y) const
{
    // Every ancestor but the root adds its own origin.
    for (const View* a = super_view_; a && a->super_view_; a = a->super_view_) {
        Rect r = a->get_view_rect();
        x += r.left;
        y += r.top;
    }
}

void View::local_to_view(int& x, int& y) const
{
    for (const View* a = super_view_; a && a->super_view_; a = a->super_view_) {
        Rect r = a->get_view_rect();
        x -= r.left;
        y -= r.top;
    }
}

void View::home_to_view(int& x, int& y) const
{
    Rect r = get_view_rect();
    x += r.left;
    y += r.top;
}

void View::view_to_home(int& x, int& y) const
{
    Rect r = get_view_rect();
    x -= r.left;
    y -= r.top;
}

static Rect convertRect(const Rect& r, const View* v, void (View::*f)(int&, int&) const)
{
    int l = r.left, t = r.top, rr = r.right, b = r.bottom;
    (v->*f)(l, t);
    (v->*f)(rr, b);
    Rect out;
    out.top = int16_t(t);
    out.left = int16_t(l);
    out.bottom = int16_t(b);
    out.right = int16_t(rr);
    return out;
}

Rect View::view_rect_to_local(const Rect& r) const
{
    return convertRect(r, this, &View::view_to_local);
}

Rect View::local_rect_to_view(const Rect& r) const
{
    return convertRect(r, this, &View::local_to_view);
}

void View::move_view_by(int dx, int dy)
{
    Rect r = get_view_rect();
    r.left = int16_t(r.left + dx);
    r.right = int16_t(r.right + dx);
    r.top = int16_t(r.top + dy);
    r.bottom = int16_t(r.bottom + dy);
    set_view_rect(r);
}

void View::move_view_to(int x, int y)
{
    Rect r = get_view_rect();
    move_view_by(x - r.left, y - r.top);
}

void View::set_enable(bool b)
{
    if (b)
        enable();
    else
        disable();
}

void View::set_show(bool b)
{
    if (b)
        show();
    else
        hide();
}

Window* View::find_window() const
{
    const View* v = this;
    while (v->super_view_)
        v = v->super_view_;
    return v->is_window() ? static_cast<Window*>(const_cast<View*>(v)) : nullptr;
}

void View::set_draw_callback(DrawCallback cb, void* data)
{
    draw_callback_ = cb;
    draw_data_ = data;
}

void View::set_event_callback(EventCallback cb, void* data)
{
    event_callback_ = cb;
    event_data_ = data;
}

void View::need_update_draw()
{
    needs_draw_ = true;
    if (Window* w = find_window())
        w->view_need_update();
}

void View::draw()
{
    draw_self();
    if (draw_callback_)
        draw_callback_(this, draw_data_);
    // A snapshot: drawing must not be broken by a child that re-sorts itself.
    std::vector<View*> order;
    for (const auto& e : draw_map_)
        order.push_back(e.second);
    for (View* c : order)
        c->draw();
}

void View::draw_update(bool force)
{
    std::vector<View*> order;
    for (const auto& e : draw_map_)
        order.push_back(e.second);
    if (force || needs_draw_) {
        draw_self();
        if (draw_callback_)
            draw_callback_(this, draw_data_);
        needs_draw_ = false;
        for (View* c : order)
            c->draw_update(true);
    } else {
        for (View* c : order)
            c->draw_update(false);
    }
}

OSStatus View::handle_event_self(EventHandlerCallRef, EventRef)
{
    return eventNotHandledErr;
}

OSStatus View::handle_event(EventHandlerCallRef call, EventRef event)
{
    if (!listen_events_)
        return eventNotHandledErr;
    std::vector<View*> order;
    for (auto it = event_map_.rbegin(); it != event_map_.rend(); ++it)
        order.push_back(it->second);
    for (View* c : order)
        if (c->handle_event(call, event) == noErr)
            return noErr;
    if (event_callback_ && event_callback_(call, event, event_data_) == noErr)
        return noErr;
    return handle_event_self(call, event);
}

// ---------------------------------------------------------------- Window

WindowServer* WindowServer::myPtr_ = nullptr;

Window::Window()
{
    if (WindowServer* s = WindowServer::get_ptr())
        s->add_window(this); // register_to_window_server
}

Window::~Window()
{
    if (WindowServer* s = WindowServer::get_ptr())
        s->release_window(this);
    // Children first: controls give their platform controls back to a live window.
    delete_sub_views();
    remove_platform_window();
}

void Window::remove_platform_window()
{
    if (!window_)
        return;
    RemoveWindowEventHandler(window_);
    SetWindowUserData(window_, nullptr);
    DisposeWindow(window_);
    window_ = nullptr;
    handler_installed_ = false;
}

void Window::set_view_rect(const Rect& r)
{
    if (window_)
        SetWindowBounds(window_, r);
    else
        rect_ = r;
}

Rect Window::get_view_rect() const
{
    if (!window_)
        return rect_;
    Rect r;
    GetWindowBounds(window_, &r);
    return r;
}

Rect Window::get_local_view_rect() const
{
    Rect g = get_view_rect();
    Rect r;
    r.bottom = int16_t(g.bottom - g.top);
    r.right = int16_t(g.right - g.left);
    return r;
}

void Window::hide()
{
    if (window_)
        HideWindow(window_);
}

void Window::show()
{
    if (window_)
        ShowWindow(window_);
}

void Window::set_theme_background(int16_t brush, bool update)
{
    if (window_)
        SetThemeWindowBackground(window_, brush, update);
}

void Window::set(uint32_t windowClass, uint32_t attributes, const Rect& r)
{
    WindowRef w = nullptr;
    if (CreateNewWindow(windowClass, attributes, r, &w) != noErr || !w)
        raise_error(0, "");
    window_ = w;
    install_standad_event();
}

void Window::set(WindowRef w)
{
    window_ = w;
    install_standad_event();
}

void Window::install_standad_event()
{
    if (!window_)
        raise_error(3, "");
    SetWindowUserData(window_, this);
    OSStatus st = InstallWindowEventHandler(
        window_, [this](EventHandlerCallRef call, EventRef e) { return listener_carbon_event(call, e); },
        {{kEventClassWindow, kEventWindowClose},
         {kEventClassWindow, kEventWindowDrawContent},
         {kEventClassWindow, kEventWindowBoundsChanged},
         {kEventClassWindow, kEventWindowActivated},
         {kEventClassWindow, kEventWindowDeactivated}});
    if (st != noErr)
        raise_error(3, "");
    handler_installed_ = true;
}

bool Window::add_event(const std::vector<EventTypeSpec>& types)
{
    return window_ && AddEventTypesToHandler(window_, types) == noErr;
}

bool Window::add_event(uint32_t eventClass, uint32_t kind)
{
    return add_event(std::vector<EventTypeSpec>{{eventClass, kind}});
}

bool Window::is_window_active() const
{
    return window_ && IsWindowActive(window_);
}

void Window::install_close_callback(CloseCallback cb, void* data)
{
    close_callback_ = cb;
    close_data_ = data;
}

void Window::set_title(const UniString& title)
{
    if (window_)
        SetWindowTitle(window_, title);
}

bool Window::close()
{
    if (close_callback_ && !close_callback_(this, close_data_)) {
        close_requested_ = false;
        return false;
    }
    remove_platform_window();
    return true;
}

OSStatus Window::listener_carbon_event(EventHandlerCallRef call, EventRef event)
{
    if (IsEventClass(*event, kEventClassWindow, kEventWindowDrawContent)) {
        draw();
        return eventNotHandledErr;
    }
    OSStatus result = handle_event(call, event);
    if (needs_update_) {
        needs_update_ = false;
        draw_update(needs_draw_);
    }
    if (result != noErr && IsEventClass(*event, kEventClassWindow, kEventWindowClose))
        close_requested_ = true;
    if (close_requested_ && close())
        delete this; // the platform keeps its own copy of the handler while it runs
    return result == noErr ? noErr : eventNotHandledErr;
}

// ---------------------------------------------------------------- WindowServer

WindowServer::WindowServer()
{
    myPtr_ = this;
}

WindowServer::~WindowServer()
{
    if (myPtr_ == this)
        myPtr_ = nullptr;
}

void WindowServer::add_window(Window* w)
{
    if (w && !find(w))
        windows_.push_back(w);
}

void WindowServer::release_window(Window* w)
{
    windows_.remove(w);
}

bool WindowServer::find(Window* w) const
{
    return std::find(windows_.begin(), windows_.end(), w) != windows_.end();
}

bool WindowServer::close_window(Window* w)
{
    if (!w || !w->close())
        return false;
    delete w;
    return true;
}

bool WindowServer::close_all_window()
{
    std::list<Window*> snapshot = windows_;
    for (Window* w : snapshot) {
        if (!find(w))
            continue; // closed by an earlier window's close
        if (!close_window(w))
            return false;
    }
    return true;
}

} // namespace vemora::nsp_Carbon
