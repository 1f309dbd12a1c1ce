#pragma once
// Views, windows and the window server. A view is a node of a tree of rectangles that draws
// itself and its children in draw order and offers events to its children in event order; a
// window is the root of such a tree, bound to one platform window and its event handler.
#include "toolkit/platform/platform.h"

#include "foundation/debug_pointer.h"
#include "foundation/exception.h"
#include "foundation/unistring.h"

#include <cstdint>
#include <list>
#include <map>
#include <typeinfo>
#include <vector>

namespace vemora::nsp_Carbon {

using platform::EventHandlerCallRef;
using platform::EventRef;
using platform::OSStatus;
using platform::Rect;
using UniString = BasicUniString<unsigned short>;

class Window;

class View : public ListerException<View, ExceptionDebuggErrorID> {
public:
    using EventCallback = OSStatus (*)(EventHandlerCallRef call, EventRef event, void* data);
    using DrawCallback = void (*)(View* view, void* data);

    View();
    // A copy carries the rectangle and the settings, never the children (it is what a view
    // throws when it raises an error).
    View(const View& o);
    View& operator=(const View&) = delete;
    virtual ~View();

    template <class T>
    static T* create_view()
    {
        T* v = new T();
        registerDebugingPointer(v, sizeof(T), typeid(T).name(), false);
        return v;
    }

    virtual void set_view_rect(const Rect& r);
    virtual Rect get_view_rect() const;
    virtual Rect get_local_view_rect() const;
    virtual void view_to_local(int& x, int& y) const;
    virtual void local_to_view(int& x, int& y) const;
    virtual void home_to_view(int& x, int& y) const;
    virtual void view_to_home(int& x, int& y) const;
    virtual Rect view_rect_to_local(const Rect& r) const;
    virtual Rect local_rect_to_view(const Rect& r) const;
    virtual void move_view_to(int x, int y);
    virtual void move_view_by(int dx, int dy);
    virtual void set_enable(bool b);
    virtual void enable() {}
    virtual void disable() {}
    virtual bool is_enable() const { return false; }
    virtual void set_show(bool b);
    virtual void hide() {}
    virtual void show() {}
    virtual bool is_show() const { return false; }
    virtual void set_text(const UniString&) {}
    virtual UniString get_text() const { return UniString(); }
    virtual void enter_to_super(View* parent);
    virtual void add_sub_view(View* child);
    virtual void extract_sub_view(View* child);
    virtual void set_super_view(View* parent) { super_view_ = parent; }
    virtual View* get_super_view() { return super_view_; }
    virtual const View* get_super_view() const { return super_view_; }
    virtual Window* find_window() const;
    virtual bool is_window() const { return false; }
    virtual Window* get_window() const { return find_window(); }
    virtual void set_lister_event(bool b) { listen_events_ = b; }
    virtual void set_event_order(int32_t n);
    virtual int32_t get_event_order() const { return event_order_; }
    virtual OSStatus handle_event_self(EventHandlerCallRef call, EventRef event);
    virtual void set_draw_order(int32_t n);
    virtual int32_t get_draw_order() const { return draw_order_; }
    virtual void draw_self() {}
    virtual OSStatus handle_event(EventHandlerCallRef call, EventRef event);

    bool is_listen_event() const { return listen_events_; }
    void set_draw_callback(DrawCallback cb, void* data);
    void set_event_callback(EventCallback cb, void* data);
    void need_update_draw();
    bool get_needs_draw() const { return needs_draw_; }
    void draw();
    void draw_update(bool force);
    const std::vector<View*>& get_sub_views() const { return sub_views_; }

protected:
    // Deletes every child now (a window does this while its platform window still exists).
    void delete_sub_views();

    View* super_view_ = nullptr;
    std::vector<View*> sub_views_;
    bool listen_events_ = true;
    int32_t event_order_ = 0;
    EventCallback event_callback_ = nullptr;
    void* event_data_ = nullptr;
    std::multimap<int32_t, View*> event_map_;
    int32_t draw_order_ = 0;
    DrawCallback draw_callback_ = nullptr;
    void* draw_data_ = nullptr;
    std::multimap<int32_t, View*> draw_map_;
    bool needs_draw_ = false;
    Rect rect_;

private:
    static void erase_from(std::multimap<int32_t, View*>& map, View* v);
};

class Window : public View {
public:
    using CloseCallback = bool (*)(Window* window, void* data);

    Window();
    ~Window() override;

    void set_view_rect(const Rect& r) override;
    Rect get_view_rect() const override;
    Rect get_local_view_rect() const override;
    void hide() override;
    void show() override;
    bool is_window() const override { return true; }
    Window* get_window() const override { return const_cast<Window*>(this); }

    virtual void set_theme_background(int16_t brush, bool update);
    // Makes the platform window (content rectangle in global coordinates); throws on failure.
    virtual void set(uint32_t windowClass, uint32_t attributes, const Rect& r);
    // Takes an existing platform window (one loaded from the interface file).
    virtual void set(platform::WindowRef w);
    virtual bool close();
    virtual void set_title(const UniString& title);
    virtual void request_to_close() { close_requested_ = true; }

    void install_standad_event();
    bool add_event(const std::vector<platform::EventTypeSpec>& types);
    bool add_event(uint32_t eventClass, uint32_t kind);
    bool is_window_active() const;
    void install_close_callback(CloseCallback cb, void* data);
    void view_need_update() { needs_update_ = true; }
    platform::WindowRef get_window_ref() const { return window_; }
    bool is_close_requested() const { return close_requested_; }

    // The window's handler procedure: routes one platform event through the view tree.
    OSStatus listener_carbon_event(EventHandlerCallRef call, EventRef event);

protected:
    platform::WindowRef window_ = nullptr;
    bool handler_installed_ = false;
    bool needs_update_ = false;
    bool close_requested_ = false;
    CloseCallback close_callback_ = nullptr;
    void* close_data_ = nullptr;

private:
    void remove_platform_window();
};

class WindowServer {
public:
    WindowServer();
    ~WindowServer();
    WindowServer(const WindowServer&) = delete;
    WindowServer& operator=(const WindowServer&) = delete;

    static WindowServer* get_ptr() { return myPtr_; }
    void add_window(Window* w);
    void release_window(Window* w);
    bool find(Window* w) const;
    // Closes the window; when it agrees the window object is deleted.
    bool close_window(Window* w);
    // In list order; stops at the first window that refuses.
    bool close_all_window();
    void clear() { windows_.clear(); }
    const std::list<Window*>& windows() const { return windows_; }

private:
    std::list<Window*> windows_;
    static WindowServer* myPtr_;
};

} // namespace vemora::nsp_Carbon
