#include "gui_support.h"

#include "toolkit/carbon_helpers.h"
#include "toolkit/picture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>

using namespace vgtest;

namespace {

class Controls : public ::testing::Test {
public:
    WindowServer server;
    std::vector<ToolkitImageHolder> keep;
    std::vector<pf::CGImageRef> images;
    ~Controls() override
    {
        server.close_all_window();
        pump();
        for (pf::CGImageRef i : images)
            pf::CGImageRelease(i);
    }
    // A picture of one colour; top_half_only leaves the lower half transparent.
    pf::CGImageRef solid(QRgb c, bool topHalfOnly = false)
    {
        auto* img = new ToolkitImage();
        ToolkitImageFormat f;
        f.width = f.height = 20;
        f.channel_count = 4;
        f.bytes_per_pixel = 4;
        f.row_bytes = 80;
        img->create(f);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) {
                unsigned char* p = img->get_bitmap() + y * 80 + x * 4;
                bool on = !topHalfOnly || y < 10;
                p[0] = on ? qRed(c) : 0;
                p[1] = on ? qGreen(c) : 0;
                p[2] = on ? qBlue(c) : 0;
                p[3] = on ? 255 : 0;
            }
        keep.emplace_back(img);
        pf::CGImageRef r = get_CGImageRef_by_gimage(*img, pf::kCGImageAlphaPremultipliedLast);
        images.push_back(r);
        return r;
    }
};

struct Clicks {
    int count = 0;
};

void countClick(ImageButton*, void* data)
{
    ++static_cast<Clicks*>(data)->count;
}

ImageButton* makeButton(Window* w, Controls* t, Clicks* clicks, ImageButton::CommandSignal signal)
{
    auto* b = View::create_view<ImageButton>();
    b->enter_to_super(w);
    b->set_view_rect(R(10, 10, 50, 50));
    b->init();
    b->set_command_signal(signal);
    b->set_click_callback(&countClick, clicks);
    b->set_button_image(t->solid(0xFF0000), t->solid(0x00FF00), t->solid(0x0000FF), t->solid(0x808080));
    return b;
}

struct Actions {
    std::vector<int> parts;
};

void recordPart(ScrollBar::ControlPartT part, ScrollBar*, void* data)
{
    static_cast<Actions*>(data)->parts.push_back(part);
}

} // namespace

TEST_F(Controls, MouseDownButtonActsOnceOnPress)
{
    Clicks clicks;
    Window* w = newWindow(R(100, 100, 200, 300));
    ImageButton* b = makeButton(w, this, &clicks, ImageButton::kMouseDown);
    showActive(w);
    EXPECT_EQ(pixel(w, 30, 30), 0xFF0000u); // normal
    moveTo(w, 30, 30);
    EXPECT_EQ(b->get_state(), ImageButton::kOver);
    EXPECT_EQ(pixel(w, 30, 30), 0x00FF00u);
    press(w, 30, 30);
    EXPECT_EQ(clicks.count, 1);
    EXPECT_EQ(b->get_state(), ImageButton::kPressed);
    EXPECT_EQ(pixel(w, 30, 30), 0x0000FFu);
    moveTo(w, 120, 80); // dragged out
    EXPECT_EQ(b->get_state(), ImageButton::kNormal);
    release(w, 120, 80);
    EXPECT_EQ(clicks.count, 1);
    EXPECT_EQ(pixel(w, 30, 30), 0xFF0000u);
}

TEST_F(Controls, MouseUpButtonActsOnceOnReleaseInside)
{
    Clicks clicks;
    Window* w = newWindow(R(100, 100, 200, 300));
    ImageButton* b = makeButton(w, this, &clicks, ImageButton::kMouseUp);
    showActive(w);
    press(w, 20, 20);
    EXPECT_EQ(clicks.count, 0);
    moveTo(w, 100, 80); // out
    EXPECT_EQ(pixel(w, 30, 30), 0xFF0000u);
    moveTo(w, 45, 45); // back in
    EXPECT_EQ(pixel(w, 30, 30), 0x0000FFu);
    release(w, 45, 45);
    EXPECT_EQ(clicks.count, 1);
    EXPECT_EQ(b->get_state(), ImageButton::kOver);
    EXPECT_FALSE(b->is_tracking());
    // A release without a press of its own does nothing.
    release(w, 45, 45);
    EXPECT_EQ(clicks.count, 1);
    // Right and bottom edges are outside.
    press(w, 50, 30);
    release(w, 50, 30);
    EXPECT_EQ(clicks.count, 1);
}

TEST_F(Controls, ToggleFlipsAndShowsTheOnOverlayOnly)
{
    Clicks clicks;
    Window* w = newWindow(R(100, 100, 200, 300));
    ImageButton* b = makeButton(w, this, &clicks, ImageButton::kMouseUp);
    b->set_toggle_enable(true);
    b->set_toggle_image(nullptr, nullptr, solid(0xFFFF00, true), solid(0x00FFFF, true));
    showActive(w);
    press(w, 30, 30);
    release(w, 30, 30);
    EXPECT_TRUE(b->is_toggle());
    EXPECT_EQ(pixel(w, 30, 15), 0xFFFF00u); // overlay, upper half
    EXPECT_EQ(pixel(w, 30, 45), 0x00FF00u); // pointer over, not covered
    press(w, 30, 30);
    release(w, 30, 30);
    EXPECT_FALSE(b->is_toggle());
    EXPECT_EQ(pixel(w, 30, 15), 0x00FF00u);
    EXPECT_EQ(clicks.count, 2);
}

TEST_F(Controls, InactiveWindowShowsInactivePictureAndIgnoresClicks)
{
    Clicks clicks;
    Window* w = newWindow(R(100, 100, 200, 300));
    ImageButton* b = makeButton(w, this, &clicks, ImageButton::kMouseDown);
    b->set_toggle_enable(true);
    b->set_toggle(true);
    b->set_toggle_image(nullptr, nullptr, solid(0xFFFF00, true), solid(0x00FFFF, true));
    Window* other = newWindow(R(300, 400, 400, 600));
    showActive(w);
    showActive(other); // w is now inactive
    ASSERT_FALSE(w->is_window_active());
    w->draw();
    EXPECT_EQ(pixel(w, 30, 45), 0x808080u);
    EXPECT_EQ(pixel(w, 30, 15), 0x00FFFFu); // the inactive "on" overlay
    pf::Event e;
    e.eventClass = pf::kEventClassMouse;
    e.kind = pf::kEventMouseDown;
    pf::Rect g = w->get_view_rect();
    e.mouseLocation = {g.left + 30.0, g.top + 30.0};
    EXPECT_EQ(w->handle_event(nullptr, &e), pf::eventNotHandledErr);
    EXPECT_EQ(clicks.count, 0);
}

TEST_F(Controls, ScrollBarPartsReachTheActionCallback)
{
    Actions actions;
    Window* w = newWindow(R(100, 100, 200, 400));
    auto* bar = View::create_view<ScrollBar>();
    bar->enter_to_super(w);
    bar->set_view_rect(R(80, 0, 96, 300));
    bar->create();
    ASSERT_NE(bar->get_control(), nullptr);
    EXPECT_TRUE(bar->owns_control());
    bar->set_action_callback(&recordPart, &actions);
    bar->set_bar_ratio(100, 0, 400);
    EXPECT_EQ(bar->get_max_value(), 300);
    EXPECT_EQ(bar->get_min_value(), 0);
    showActive(w);
    auto* qbar = qobject_cast<QScrollBar*>(pf::controlWidget(bar->get_control()));
    ASSERT_NE(qbar, nullptr);
    EXPECT_EQ(qbar->orientation(), Qt::Horizontal);
    qbar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    qbar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    qbar->triggerAction(QAbstractSlider::SliderPageStepSub);
    qbar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    qbar->setSliderPosition(120); // a thumb drag
    EXPECT_EQ(actions.parts, (std::vector<int>{21, 20, 22, 23, 129}));
    EXPECT_EQ(bar->get_value(), 120); // arrows and pages move only by what the callback does
    // A real click in the trough right of the thumb: page down.
    actions.parts.clear();
    QTest::mouseClick(handle(w), Qt::LeftButton, Qt::NoModifier, QPoint(280, 88) + contentOffset(w));
    pump();
    ASSERT_FALSE(actions.parts.empty());
    EXPECT_EQ(actions.parts.front(), 23);
}

TEST_F(Controls, ThemeTextInInactiveWindowIsMidGray)
{
    Window* w = newWindow(R(100, 100, 200, 400));
    auto* text = View::create_view<ThemeTextBox>();
    text->enter_to_super(w);
    text->set_view_rect(R(10, 10, 60, 290));
    text->set_text(UniString::fromUTF8("WWWW MMMM ####"));
    showActive(w);
    auto darkest = [&] {
        int d = 255;
        for (int y = 10; y < 60; ++y)
            for (int x = 10; x < 290; ++x) {
                QRgb p = pixel(w, x, y);
                d = std::min(d, std::min(qRed(p), std::min(qGreen(p), qBlue(p))));
            }
        return d;
    };
    EXPECT_LT(darkest(), 60); // black text while active
    pf::Event deactivate;
    deactivate.eventClass = pf::kEventClassWindow;
    deactivate.kind = pf::kEventWindowDeactivated;
    pf::SetThemeWindowBackground(w->get_window_ref(), 1, true);
    w->listener_carbon_event(nullptr, &deactivate);
    EXPECT_EQ(text->get_draw_state(), pf::kThemeStateInactive);
    int d = darkest();
    EXPECT_GE(d, 120);
    EXPECT_LE(d, 136); // mid-gray strokes
}

TEST_F(Controls, PlacardDrawsAFramedPanel)
{
    Window* w = newWindow(R(100, 100, 200, 300));
    pf::SetThemeWindowBackground(w->get_window_ref(), 1, true);
    auto* placard = View::create_view<ThemePlacard>();
    placard->enter_to_super(w);
    placard->set_view_rect(R(10, 10, 40, 110));
    showActive(w);
    QRgb background = pixel(w, 150, 80);
    QRgb inside = pixel(w, 60, 25);
    bool frameDiffers = false;
    for (int x = 10; x < 110; ++x)
        frameDiffers |= pixel(w, x, 10) != inside || pixel(w, x, 39) != inside;
    EXPECT_TRUE(frameDiffers);
    EXPECT_EQ(pixel(w, 150, 80), background);
}

namespace {

struct ProbeControl : Control {
    int seen = 0;
    OSStatus handle_event_self(EventHandlerCallRef, EventRef) override
    {
        ++seen;
        return pf::eventNotHandledErr;
    }
};

struct CommandLog {
    std::vector<std::pair<uint32_t, pf::ControlRef>> commands;
};

} // namespace

TEST_F(Controls, InterfaceFileControlsFoundByNameAndCommandIds)
{
    pf::NibRef nib = nullptr;
    ASSERT_EQ(pf::CreateNibReference(VERIGLOW_SOURCE_DIR "/tests/toolkit/fixtures/interface", &nib), pf::noErr);
    pf::WindowRef ref = nullptr;
    ASSERT_EQ(pf::CreateWindowFromNib(nib, UniString::fromUTF8("demo"), &ref), pf::noErr);
    EXPECT_NE(pf::CreateWindowFromNib(nib, UniString::fromUTF8("missing"), &ref), pf::noErr);
    Window* w = View::create_view<Window>();
    w->set(ref);
    CommandLog log;
    w->add_event(pf::kEventClassCommand, pf::kEventCommandProcess);
    w->set_event_callback(
        [](EventHandlerCallRef, EventRef e, void* d) {
            uint32_t cmd = 0;
            if (get_event_command(cmd, e))
                static_cast<CommandLog*>(d)->commands.emplace_back(cmd, event_get_control(e));
            return pf::eventNotHandledErr;
        },
        &log);
    showActive(w);
    const uint32_t DEMO = pf::fourCC("DEMO");

    EXPECT_EQ(get_control_by_id(ref, DEMO, 99), nullptr);
    pf::ControlRef label = get_control_by_id(ref, DEMO, 4);
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(set_statictext_string_by_id(ref, DEMO, 4, UniString::fromUTF8("Intent: é")));
    UniString got;
    EXPECT_TRUE(get_edit_text_by(got, label));
    EXPECT_EQ(got.toUTF8(), "Intent: é");
    EXPECT_FALSE(set_statictext_string_by_id(ref, DEMO, 77, got));

    pf::ControlRef edit = get_control_by_id(ref, DEMO, 5);
    EXPECT_TRUE(set_edit_text_by(edit, UniString()));
    got = UniString::fromUTF8("x");
    EXPECT_TRUE(get_edit_text_by(got, edit));
    EXPECT_TRUE(got.empty());

    pf::ControlRef popup = get_control_by_id(ref, DEMO, 2);
    pf::MenuRef menu = get_menu_pupup_button(popup);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(pf::CountMenuItems(menu), 5);
    auto* combo = qobject_cast<QComboBox*>(pf::controlWidget(popup));
    EXPECT_TRUE(combo->itemText(2).isEmpty()); // "-" became a separator
    EXPECT_TRUE(set_popup_button_item_number(popup, 4));
    EXPECT_EQ(combo->currentText(), QStringLiteral("Saturation"));
    EXPECT_EQ(pf::GetControl32BitValue(popup), 4);
    EXPECT_TRUE(clear_menu_item(menu));
    EXPECT_EQ(pf::CountMenuItems(menu), 0);
    EXPECT_TRUE(clear_menu_item(menu)); // nothing to clear
    EXPECT_TRUE(append_menu_item(menu, UniString::fromUTF8("sRGB")));
    EXPECT_TRUE(append_menu_item(menu, UniString::fromUTF8("-")));
    EXPECT_EQ(pf::CountMenuItems(menu), 2);

    // A check box sends its command with itself as the control, to its window first.
    pf::ControlRef check = get_control_by_id(ref, DEMO, 3);
    QWidget* box = pf::controlWidget(check);
    QTest::mouseClick(box->window()->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      box->mapTo(box->window(), QPoint(8, box->height() / 2)));
    pump();
    ASSERT_EQ(log.commands.size(), 1u);
    EXPECT_EQ(log.commands[0].first, pf::fourCC("bpc "));
    EXPECT_EQ(log.commands[0].second, check);
    EXPECT_EQ(pf::GetControl32BitValue(check), 1);

    // A control view adopting a control of the file; it ignores events while the control is
    // disabled, hidden or inactive.
    auto* probe = View::create_view<ProbeControl>();
    probe->enter_to_super(w);
    ASSERT_TRUE(probe->use_control_by_id(DEMO, 6));
    EXPECT_FALSE(probe->owns_control());
    EXPECT_EQ(probe->get_view_rect().left, 270); // where the file placed it
    EXPECT_EQ(probe->get_view_rect().top, 140);
    pf::Event e;
    e.eventClass = pf::kEventClassKeyboard;
    e.kind = pf::kEventRawKeyDown;
    probe->handle_event(nullptr, &e);
    EXPECT_EQ(probe->seen, 1);
    probe->disable();
    probe->handle_event(nullptr, &e);
    probe->enable();
    probe->hide();
    probe->handle_event(nullptr, &e);
    probe->show();
    probe->deactive();
    probe->handle_event(nullptr, &e);
    EXPECT_EQ(probe->seen, 1);
    probe->active();
    EXPECT_TRUE(probe->is_enable());
    probe->handle_event(nullptr, &e);
    EXPECT_EQ(probe->seen, 2);
    probe->set_text(UniString::fromUTF8("Done"));
    EXPECT_EQ(probe->get_text().toUTF8(), "Done");
    // Its rectangle is kept by the platform control.
    probe->set_view_rect(R(150, 200, 178, 300));
    EXPECT_EQ(probe->get_view_rect().left, 200);
    EXPECT_EQ(probe->get_view_rect().top, 150);
    pf::DisposeNibReference(nib);
}
