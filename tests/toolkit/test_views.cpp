#include "gui_support.h"

using namespace vgtest;

namespace {

class Views : public ::testing::Test {
protected:
    WindowServer server;
    ~Views() override
    {
        server.close_all_window();
        pump();
    }
};

bool refuse(Window*, void* data)
{
    ++*static_cast<int*>(data);
    return false;
}

bool agree(Window*, void* data)
{
    ++*static_cast<int*>(data);
    return true;
}

} // namespace

TEST_F(Views, DrawOrderPaintsLowerFirstAndEventsGoToHigherFirst)
{
    std::vector<std::string> log;
    Window* w = newWindow(R(100, 100, 200, 300));
    ColorView* a = addColor(w, R(10, 10, 60, 60), 0xFF0000, "a", &log);
    ColorView* b = addColor(w, R(30, 30, 80, 80), 0x0000FF, "b", &log);
    a->set_draw_order(2);
    a->set_event_order(2);
    b->set_draw_order(1);
    b->set_event_order(1);
    showActive(w);
    log.clear();
    w->draw();
    EXPECT_EQ(log, (std::vector<std::string>{"draw b", "draw a"}));
    EXPECT_EQ(pixel(w, 40, 40), 0xFF0000u); // a (order 2) covers b where they overlap
    EXPECT_EQ(pixel(w, 70, 70), 0x0000FFu);
    EXPECT_EQ(pixel(w, 5, 5), pf::windowBackingStore(w->get_window_ref()).pixel(150, 90) & 0xFFFFFF);

    log.clear();
    press(w, 40, 40);
    std::vector<std::string> downs;
    for (const std::string& s : log)
        if (s.size() > 2 && s.compare(s.size() - 2, 2, " 1") == 0)
            downs.push_back(s);
    EXPECT_EQ(downs, (std::vector<std::string>{"event a 1", "event b 1"}));
    release(w, 40, 40);

    // Re-sorting after the child was added.
    b->set_draw_order(3);
    log.clear();
    w->draw();
    EXPECT_EQ(log, (std::vector<std::string>{"draw a", "draw b"}));
    EXPECT_EQ(pixel(w, 40, 40), 0x0000FFu);

    // A child that takes the event stops the walk.
    a->takes = true;
    b->takes = false;
    press(w, 40, 40);
    log.clear();
    release(w, 40, 40);
    EXPECT_EQ(log, (std::vector<std::string>{"event a 2"}));
}

TEST_F(Views, WindowDrawContentDrawsTheTreeIntoThePort)
{
    Window* w = newWindow(R(60, 60, 160, 260));
    addColor(w, R(0, 0, 100, 200), 0x00FF00, "g", nullptr);
    showActive(w); // first show: 'wind' 2
    EXPECT_EQ(pixel(w, 100, 50), 0x00FF00u);
    // The widget shows what the port holds.
    QImage shown = pf::windowContentWidget(w->get_window_ref())->grab().toImage();
    EXPECT_EQ(shown.pixel(100, 50) & 0xFFFFFF, 0x00FF00u);
}

TEST_F(Views, CoordinatesCountEveryAncestorButTheWindow)
{
    std::vector<std::string> log;
    Window* w = newWindow(R(50, 50, 250, 350));
    ColorView* outer = addColor(w, R(20, 30, 180, 280), 0x808080, "outer", &log);
    ColorView* inner = addColor(outer, R(10, 15, 50, 65), 0xFF00FF, "inner", &log);
    int x = 1, y = 2;
    inner->view_to_local(x, y);
    EXPECT_EQ(x, 1 + 30);
    EXPECT_EQ(y, 2 + 20);
    inner->local_to_view(x, y);
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 2);
    x = 0, y = 0;
    inner->home_to_view(x, y);
    EXPECT_EQ(x, 15);
    EXPECT_EQ(y, 10);
    EXPECT_EQ(inner->get_local_view_rect(), R(30, 45, 70, 95));
    EXPECT_EQ(outer->get_local_view_rect(), R(20, 30, 180, 280));
    EXPECT_EQ(w->get_local_view_rect(), R(0, 0, 200, 300));
    showActive(w);
    w->draw();
    EXPECT_EQ(pixel(w, 45, 30), 0xFF00FFu); // inner's corner in window coordinates
    EXPECT_EQ(pixel(w, 44, 30), 0x808080u);

    View* v = View::create_view<View>();
    v->set_view_rect(R(5, 7, 25, 37));
    v->move_view_to(10, 20);
    EXPECT_EQ(v->get_view_rect(), R(20, 10, 40, 40)); // moved by (3, 15)
    delete v;
}

TEST_F(Views, ViewThatDoesNotListenHidesItsChildren)
{
    std::vector<std::string> log;
    Window* w = newWindow(R(100, 100, 200, 300));
    ColorView* parent = addColor(w, R(0, 0, 100, 200), 0x404040, "parent", &log);
    addColor(parent, R(0, 0, 50, 50), 0xFFFFFF, "child", &log);
    parent->set_lister_event(false);
    showActive(w);
    log.clear();
    press(w, 10, 10);
    release(w, 10, 10);
    EXPECT_TRUE(log.empty());
    parent->set_lister_event(true);
    press(w, 10, 10);
    release(w, 10, 10);
    EXPECT_FALSE(log.empty());
    EXPECT_EQ(log[0], "event child 1");
}

TEST_F(Views, RefusingCloseCallbackKeepsTheWindowAndStopsCloseAll)
{
    int asked = 0, agreed = 0;
    Window* first = newWindow(R(100, 100, 200, 300));
    Window* second = newWindow(R(120, 120, 220, 320));
    first->install_close_callback(&refuse, &asked);
    second->install_close_callback(&agree, &agreed);
    showActive(first);
    EXPECT_FALSE(first->close());
    EXPECT_TRUE(server.find(first));
    EXPECT_FALSE(server.close_all_window());
    EXPECT_EQ(agreed, 0); // the walk stopped at the first window
    EXPECT_TRUE(server.find(second));
    EXPECT_TRUE(pf::IsWindowVisible(first->get_window_ref()));

    // The title-bar close goes through the window's close handling.
    QWidget* frame = pf::windowFrameWidget(first->get_window_ref());
    frame->close();
    pump();
    EXPECT_TRUE(server.find(first));
    EXPECT_TRUE(frame->isVisible());
    EXPECT_FALSE(first->is_close_requested());

    first->install_close_callback(&agree, &agreed);
    frame = pf::windowFrameWidget(first->get_window_ref());
    frame->close();
    pump(10);
    EXPECT_FALSE(server.find(first)); // closed and deleted by its own handler
    EXPECT_TRUE(server.close_all_window());
    EXPECT_TRUE(server.windows().empty());
}

TEST_F(Views, WindowBoundsAreTheContentInGlobalCoordinates)
{
    Window* w = newWindow(R(80, 90, 280, 390));
    showActive(w);
    EXPECT_EQ(w->get_view_rect(), R(80, 90, 280, 390));
    w->set_view_rect(R(100, 120, 250, 420));
    pump();
    EXPECT_EQ(w->get_view_rect(), R(100, 120, 250, 420));
    EXPECT_EQ(w->get_local_view_rect(), R(0, 0, 150, 300));
    EXPECT_EQ(pf::windowBackingStore(w->get_window_ref()).size(), QSize(300, 150));
}

TEST_F(Views, NeedUpdateDrawsOnlyWhatAskedAfterAnEvent)
{
    std::vector<std::string> log;
    Window* w = newWindow(R(100, 100, 200, 300));
    ColorView* a = addColor(w, R(0, 0, 50, 50), 0xFF0000, "a", &log);
    addColor(w, R(0, 60, 50, 110), 0x00FF00, "b", &log);
    showActive(w);
    a->need_update_draw();
    log.clear();
    moveTo(w, 150, 80); // any event runs the window's pending update
    std::vector<std::string> draws;
    for (auto& s : log)
        if (s.rfind("draw", 0) == 0)
            draws.push_back(s);
    EXPECT_EQ(draws, (std::vector<std::string>{"draw a"}));
    EXPECT_FALSE(a->get_needs_draw());
}

TEST_F(Views, HandlerFailureRaisesTheViewWithItsErrorRecord)
{
    Window* w = View::create_view<Window>();
    addColor(w, R(0, 0, 10, 10), 0, "c", nullptr);
    bool thrown = false;
    try {
        w->install_standad_event(); // no platform window yet
    } catch (const View& copy) {
        thrown = true;
        EXPECT_TRUE(copy.get_sub_views().empty()); // a copy never carries the children
    }
    EXPECT_TRUE(thrown);
    ASSERT_EQ(w->getErrorList().size(), 1u);
    EXPECT_EQ(w->getErrorList().front().getId(), 3);
    delete w;
}
