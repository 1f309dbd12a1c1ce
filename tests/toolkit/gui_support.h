#pragma once
// Helpers of the GUI tests: windows on the offscreen platform, events driven through the
// window handles, and the pixels the views painted into the window's port.
#include "toolkit/controls.h"
#include "toolkit/platform/qt_platform.h"
#include "toolkit/view.h"

#include <QApplication>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vgtest {

using namespace vemora;
using namespace vemora::nsp_Carbon;
namespace pf = vemora::platform;

inline pf::Rect R(int top, int left, int bottom, int right)
{
    pf::Rect r;
    r.top = int16_t(top);
    r.left = int16_t(left);
    r.bottom = int16_t(bottom);
    r.right = int16_t(right);
    return r;
}

inline void pump(int ms = 0)
{
    QApplication::processEvents();
    if (ms)
        QTest::qWait(ms);
    QApplication::processEvents();
}

inline QWindow* handle(Window* w)
{
    return pf::windowFrameWidget(w->get_window_ref())->windowHandle();
}

// Content origin inside the frame (a menu bar sits above it in document windows).
inline QPoint contentOffset(Window* w)
{
    QWidget* c = pf::windowContentWidget(w->get_window_ref());
    return c->mapTo(c->window(), QPoint(0, 0));
}

inline void showActive(Window* w)
{
    w->show();
    QWidget* f = pf::windowFrameWidget(w->get_window_ref());
    EXPECT_TRUE(QTest::qWaitForWindowExposed(f));
    pf::SelectWindow(w->get_window_ref());
    QApplication::setActiveWindow(f);
    EXPECT_TRUE(QTest::qWaitForWindowActive(f));
    // No button may stay down from an earlier test (moves would go to its grab), and the
    // pointer is parked in a corner: Qt drops a move to the global point it already knows.
    if (QGuiApplication::mouseButtons() != Qt::NoButton)
        QTest::mouseRelease(f->windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(f->width() - 1, f->height() - 1));
    QTest::mouseMove(f->windowHandle(), QPoint(f->width() - 1, f->height() - 1));
    pump();
}

inline QRgb pixel(Window* w, int x, int y)
{
    return pf::windowBackingStore(w->get_window_ref()).pixel(x, y) & 0xFFFFFF;
}

inline void press(Window* w, int x, int y)
{
    QTest::mousePress(handle(w), Qt::LeftButton, Qt::NoModifier, QPoint(x, y) + contentOffset(w));
    pump();
}
inline void release(Window* w, int x, int y)
{
    QTest::mouseRelease(handle(w), Qt::LeftButton, Qt::NoModifier, QPoint(x, y) + contentOffset(w));
    pump();
}
inline void moveTo(Window* w, int x, int y)
{
    QTest::mouseMove(handle(w), QPoint(x, y) + contentOffset(w));
    pump();
}

// A view that fills its rectangle with one colour and logs what it draws and sees.
class ColorView : public View {
public:
    void draw_self() override
    {
        if (log)
            log->push_back("draw " + name);
        Window* w = find_window();
        if (!w || !w->get_window_ref())
            return;
        pf::CGContextRef ctx = pf::QDBeginCGContext(w->get_window_ref());
        pf::Rect r = get_local_view_rect();
        pf::CGContextSetRGBFillColor(ctx, qRed(color) / 255.0, qGreen(color) / 255.0, qBlue(color) / 255.0, 1);
        pf::CGContextFillRect(ctx, {double(r.left), double(r.top), double(r.right - r.left), double(r.bottom - r.top)});
        pf::QDEndCGContext(w->get_window_ref(), &ctx);
    }
    OSStatus handle_event_self(EventHandlerCallRef, EventRef e) override
    {
        if (log)
            log->push_back("event " + name + " " + std::to_string(e->eventClass == pf::kEventClassMouse ? e->kind : 0));
        return takes ? pf::noErr : pf::eventNotHandledErr;
    }
    std::vector<std::string>* log = nullptr;
    std::string name;
    QRgb color = 0xFF0000;
    bool takes = false;
};

inline void listenMouse(Window* w)
{
    w->add_event({{pf::kEventClassMouse, pf::kEventMouseDown},
                  {pf::kEventClassMouse, pf::kEventMouseUp},
                  {pf::kEventClassMouse, pf::kEventMouseMoved},
                  {pf::kEventClassMouse, pf::kEventMouseDragged}});
}

inline Window* newWindow(const pf::Rect& content, uint32_t windowClass = 0)
{
    Window* w = View::create_view<Window>();
    w->set(windowClass, 0, content);
    listenMouse(w);
    return w;
}

inline ColorView* addColor(View* parent, const pf::Rect& r, QRgb c, const std::string& name,
                           std::vector<std::string>* log)
{
    auto* v = View::create_view<ColorView>();
    v->set_view_rect(r);
    v->color = c;
    v->name = name;
    v->log = log;
    v->enter_to_super(parent);
    return v;
}

} // namespace vgtest
