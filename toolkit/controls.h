#pragma once
// Leaf views: platform controls, scroll bars, theme text and placards, and picture buttons.
#include "toolkit/view.h"

namespace vemora::nsp_Carbon {

using platform::CGImageRef;
using platform::ControlRef;

class Control : public View {
public:
    Control();
    ~Control() override;

    void set_view_rect(const Rect& r) override;
    Rect get_view_rect() const override;
    Rect get_local_view_rect() const override;
    void set_enable(bool b) override;
    void enable() override;
    void disable() override;
    bool is_enable() const override;
    void set_show(bool b) override;
    void hide() override;
    void show() override;
    bool is_show() const override;
    void set_text(const UniString& text) override;
    UniString get_text() const override;
    void draw_self() override;
    OSStatus handle_event(EventHandlerCallRef call, EventRef event) override;

    // Adopts the control with this signature and id in the view's window (not owned).
    virtual bool use_control_by_id(uint32_t signature, int32_t id);
    virtual void use_control(ControlRef control);
    virtual void set_min_value(int32_t v);
    virtual void set_max_value(int32_t v);
    virtual void set_value(int32_t v);
    virtual int32_t get_min_value() const;
    virtual int32_t get_max_value() const;
    virtual int32_t get_value() const;
    virtual void set_active(bool b);
    virtual void active();
    virtual void deactive();
    virtual bool is_active() const;
    virtual void hold_control(ControlRef control, bool owns);
    virtual void create_self() {}
    virtual OSStatus control_event_handler(EventRef event);

    // Makes the platform control (create_self) and owns it.
    void create();
    ControlRef get_control() const { return control_; }
    bool owns_control() const { return owns_control_; }

protected:
    // The parent's top-left corner in window coordinates.
    void parent_origin(int& x, int& y) const;

    ControlRef control_ = nullptr;
    bool owns_control_ = false;

private:
    static OSStatus st_control_event(EventHandlerCallRef call, EventRef event, void* data);
};

class ScrollBar : public Control {
public:
    using ControlPartT = int16_t;
    using ActionCallback = void (*)(ControlPartT part, ScrollBar* bar, void* data);

    ScrollBar() = default;
    ~ScrollBar() override = default;

    bool use_control_by_id(uint32_t signature, int32_t id) override;
    void hold_control(ControlRef control, bool owns) override;
    void create_self() override;
    virtual void control_action_handler(ControlPartT part);

    void set_action_callback(ActionCallback cb, void* data);
    void set_bar_size(int32_t size);
    // minimum, the visible size and the whole size: the maximum becomes total - view.
    void set_bar_ratio(int32_t viewSize, int32_t minimum, int32_t total);

private:
    void update_action_handler();

    ActionCallback action_callback_ = nullptr;
    void* action_data_ = nullptr;
};

class ThemeTextBox : public View {
public:
    struct Color {
        double red = 0, green = 0, blue = 0, alpha = 1;
    };

    ThemeTextBox() = default;
    ~ThemeTextBox() override = default;

    void set_text(const UniString& text) override { text_ = text; }
    UniString get_text() const override { return text_; }
    OSStatus handle_event_self(EventHandlerCallRef call, EventRef event) override;
    void draw_self() override;

    void set_font(uint16_t font) { font_ = font; }
    void set_draw_state(uint32_t state) { draw_state_ = state; }
    uint32_t get_draw_state() const { return draw_state_; }
    void set_justification(int32_t j) { justification_ = j; }
    void set_wrap(bool w) { wrap_ = w; }
    void set_color(const Color& c) { color_ = c; }

private:
    UniString text_;
    int32_t justification_ = 0;
    bool wrap_ = true;
    uint16_t font_ = 0;
    uint32_t draw_state_ = platform::kThemeStateActive;
    Color color_;
};

class ThemePlacard : public View {
public:
    ThemePlacard() = default;
    ~ThemePlacard() override = default;
    OSStatus handle_event_self(EventHandlerCallRef call, EventRef event) override;
    void draw_self() override;
    int32_t get_draw_state() const { return draw_state_; }

private:
    int32_t draw_state_ = platform::kThemeStateActive;
};

class ImageButton : public View {
public:
    enum CommandSignal : int32_t { kMouseDown = 0, kMouseUp = 1 };
    enum State : int32_t { kNormal = 0, kOver = 1, kPressed = 2 };
    using ClickCallback = void (*)(ImageButton* button, void* data);

    ImageButton();
    ~ImageButton() override = default;

    OSStatus handle_event_self(EventHandlerCallRef call, EventRef event) override;
    void draw_self() override;

    // Asks the window for the mouse events.
    void init();
    // Each non-null picture replaces its slot. Pictures are not owned.
    void set_button_image(CGImageRef normal, CGImageRef over, CGImageRef pressed, CGImageRef inactive);
    void set_toggle_image(CGImageRef activeOff, CGImageRef inactiveOff, CGImageRef activeOn, CGImageRef inactiveOn);
    void set_toggle_enable(bool b) { toggle_enable_ = b; }
    void set_toggle(bool b) { toggle_ = b; }
    bool is_toggle() const { return toggle_; }
    void set_command_signal(CommandSignal s) { command_signal_ = s; }
    CommandSignal get_command_signal() const { return command_signal_; }
    void set_click_callback(ClickCallback cb, void* data);
    void set_value_message(int32_t v) { value_message_ = v; }
    int32_t get_value_message() const { return value_message_; }
    int32_t get_state() const { return state_; }
    bool is_hover() const { return hover_; }
    bool is_tracking() const { return tracking_; }
    void do_command();

private:
    bool point_inside(EventRef event) const;
    void set_state(int32_t s);

    int32_t state_ = kNormal;
    CommandSignal command_signal_ = kMouseUp;
    CGImageRef images_[4] = {nullptr, nullptr, nullptr, nullptr}; // normal, over, pressed, inactive
    bool toggle_enable_ = false;
    CGImageRef toggle_images_[4] = {nullptr, nullptr, nullptr, nullptr};
    bool toggle_ = false;
    ClickCallback click_callback_ = nullptr;
    void* click_data_ = nullptr;
    int32_t value_message_ = 0;
    bool hover_ = false;
    bool tracking_ = false;
};

} // namespace vemora::nsp_Carbon
