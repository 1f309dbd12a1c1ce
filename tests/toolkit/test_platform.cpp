#include "gui_support.h"

#include "toolkit/platform/display.h"

#include "../support/temp_dir.h"

#include <QAbstractButton>
#include <QMenuBar>
#include <QMessageBox>
#include <QFileDialog>
#include <QMimeData>

#include <cstring>
#include <tuple>

using namespace vgtest;

namespace {

class Platform : public ::testing::Test {
protected:
    WindowServer server;
    ~Platform() override
    {
        server.close_all_window();
        pump();
    }
};

void fill(Window* w, const pf::Rect& r, QRgb c)
{
    pf::CGContextRef ctx = pf::QDBeginCGContext(w->get_window_ref());
    pf::CGContextSetRGBFillColor(ctx, qRed(c) / 255.0, qGreen(c) / 255.0, qBlue(c) / 255.0, 1);
    pf::CGContextFillRect(ctx, {double(r.left), double(r.top), double(r.right - r.left), double(r.bottom - r.top)});
    pf::QDEndCGContext(w->get_window_ref(), &ctx);
}

} // namespace

TEST_F(Platform, ScrollRectMovesPixelsInsideTheRectangleOnly)
{
    Window* w = newWindow(R(100, 100, 200, 300));
    showActive(w);
    fill(w, R(0, 0, 100, 200), 0x000000);
    fill(w, R(20, 20, 30, 30), 0xFF0000);
    fill(w, R(0, 150, 100, 200), 0x00FF00); // outside the scrolled area
    pf::ScrollRect(w->get_window_ref(), R(10, 10, 90, 140), 5, 3);
    EXPECT_EQ(pixel(w, 25, 23), 0xFF0000u);
    EXPECT_EQ(pixel(w, 34, 32), 0xFF0000u);
    EXPECT_EQ(pixel(w, 24, 22), 0x000000u);
    EXPECT_EQ(pixel(w, 160, 50), 0x00FF00u);
    pf::ScrollRect(w->get_window_ref(), R(10, 10, 90, 140), -5, -3); // and back, the other way
    EXPECT_EQ(pixel(w, 20, 20), 0xFF0000u);
    EXPECT_EQ(pixel(w, 30, 30), 0x000000u);
}

TEST_F(Platform, ImagesDrawOverCallerMemoryWithoutCopying)
{
    Window* w = newWindow(R(100, 100, 200, 300));
    showActive(w);
    std::vector<unsigned char> tile(4 * 4 * 4, 0);
    for (size_t i = 0; i < tile.size(); i += 4) {
        tile[i] = 10;
        tile[i + 1] = 200;
        tile[i + 2] = 30;
        tile[i + 3] = 0xFF;
    }
    pf::CGImageRef img = pf::CGImageCreate(4, 4, 8, 32, 16, pf::kCGImageAlphaNoneSkipLast, tile.data());
    ASSERT_NE(img, nullptr);
    tile[0] = 250; // changed after the image was made
    pf::CGContextRef ctx = pf::QDBeginCGContext(w->get_window_ref());
    pf::CGContextSetShouldAntialias(ctx, false);
    pf::CGContextDrawImage(ctx, {10, 10, 40, 40}, img); // scaled 10 x
    pf::QDEndCGContext(w->get_window_ref(), &ctx);
    EXPECT_EQ(pixel(w, 12, 12), qRgb(250, 200, 30) & 0xFFFFFF);
    EXPECT_EQ(pixel(w, 25, 25), qRgb(10, 200, 30) & 0xFFFFFF);
    pf::CGImageRelease(img);
    EXPECT_EQ(pf::CGImageCreate(4, 4, 8, 32, 12, 5, tile.data()), nullptr); // rows too short
    EXPECT_EQ(pf::CGImageCreate(4, 4, 8, 32, 16, 5, nullptr), nullptr);
}

TEST_F(Platform, LinesAndPenDrawing)
{
    Window* w = newWindow(R(100, 100, 200, 300));
    showActive(w);
    fill(w, R(0, 0, 100, 200), 0xFFFFFF);
    pf::RGBForeColor(w->get_window_ref(), {40000, 40000, 40000});
    pf::MoveTo(w->get_window_ref(), 10, 50);
    pf::LineTo(w->get_window_ref(), 100, 50);
    EXPECT_EQ(pixel(w, 50, 50), qRgb(40000 >> 8, 40000 >> 8, 40000 >> 8) & 0xFFFFFF);
    EXPECT_EQ(pixel(w, 50, 51), 0xFFFFFFu); // one pixel wide
    pf::CGContextRef ctx = pf::QDBeginCGContext(w->get_window_ref());
    pf::CGContextSetRGBStrokeColor(ctx, 1, 0, 0, 1);
    pf::CGContextMoveToPoint(ctx, 20, 70);
    pf::CGContextAddLineToPoint(ctx, 20, 90);
    pf::CGContextStrokePath(ctx);
    pf::QDEndCGContext(w->get_window_ref(), &ctx);
    EXPECT_EQ(pixel(w, 20, 80), 0xFF0000u);
    EXPECT_EQ(pixel(w, 22, 80), 0xFFFFFFu);
}

TEST_F(Platform, OneShotTimerFiresOnceAndRemovedTimerNever)
{
    int fired = 0, removedFired = 0;
    pf::EventLoopTimerRef t = nullptr;
    ASSERT_EQ(pf::InstallEventLoopTimer(0.01, -1, [&](pf::EventLoopTimerRef) { ++fired; }, &t), pf::noErr);
    pf::EventLoopTimerRef gone = nullptr;
    pf::InstallEventLoopTimer(0.01, -1, [&](pf::EventLoopTimerRef) { ++removedFired; }, &gone);
    pf::RemoveEventLoopTimer(gone);
    QTest::qWait(80);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(removedFired, 0);
    pf::RemoveEventLoopTimer(t);
    pump();
}

TEST_F(Platform, AlertAnsweredByATimer)
{
    struct Case {
        bool cancel;
        int clickIndex; // -1: Escape
        int16_t expected;
    };
    for (Case c : {Case{false, 0, 1}, Case{true, 1, 2}, Case{true, -1, 2}}) {
        pf::AlertStdCFStringAlertParamRec params;
        params.hasCancel = c.cancel;
        params.cancelText = UniString::fromUTF8("Cancel");
        pf::DialogRef alert = nullptr;
        UniString message = UniString::fromUTF8("The file could not be opened.");
        ASSERT_EQ(pf::CreateStandardAlert(pf::kAlertCautionAlert, message, nullptr, params, &alert), pf::noErr);
        QStringList texts;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        pf::InstallEventLoopTimer(0.05, -1,
                                  [&](pf::EventLoopTimerRef t) {
                                      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                                      pf::RemoveEventLoopTimer(t);
                                      if (!box)
                                          return;
                                      icon = box->icon();
                                      for (QAbstractButton* b : box->buttons())
                                          texts << b->text();
                                      if (c.clickIndex < 0)
                                          QTest::keyClick(box, Qt::Key_Escape);
                                      else
                                          box->buttons().at(c.clickIndex)->click();
                                  },
                                  nullptr);
        int16_t hit = 0;
        ASSERT_EQ(pf::RunStandardAlert(alert, &hit), pf::noErr);
        EXPECT_EQ(hit, c.expected);
        EXPECT_EQ(icon, QMessageBox::Warning);
        EXPECT_TRUE(texts.contains(QStringLiteral("OK")));
        EXPECT_EQ(texts.contains(QStringLiteral("Cancel")), c.cancel);
    }
}

namespace {

struct AppLog {
    std::vector<uint32_t> commands;
    int quits = 0;
    bool refuseQuit = true;
};

} // namespace

TEST_F(Platform, SharedMenuBarItemsEnabledAndTitledEverywhere)
{
    pf::NibRef nib = nullptr;
    ASSERT_EQ(pf::CreateNibReference(VERIGLOW_SOURCE_DIR "/resources/interface", &nib), pf::noErr);
    ASSERT_EQ(pf::SetMenuBarFromNib(nib, UniString::fromUTF8("menubar")), pf::noErr);
    pf::MenuRef proof = pf::GetMenuHandle(3);
    ASSERT_NE(proof, nullptr);
    EXPECT_EQ(pf::GetMenuHandle(5), nullptr);
    EXPECT_EQ(pf::CountMenuItems(proof), 12);
    EXPECT_EQ(pf::GetMenuItemCommandID(proof, 2), pf::fourCC("VGSM"));
    EXPECT_EQ(pf::GetMenuItemText(proof, 3).toUTF8(), "-");

    Window* w = newWindow(R(100, 100, 300, 400), pf::kDocumentWindowClass);
    showActive(w);
    auto* bar = pf::windowFrameWidget(w->get_window_ref())->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->actions().size(), 4);
    QMenu* shown = bar->actions().at(2)->menu();
    ASSERT_NE(shown, nullptr);
    QAction* sample = shown->actions().at(1);
    pf::DisableMenuItem(proof, 2);
    EXPECT_FALSE(sample->isEnabled());
    EXPECT_FALSE(pf::IsMenuItemEnabled(proof, 2));
    pf::EnableAllMenuItems(proof);
    EXPECT_TRUE(sample->isEnabled());
    pf::SetMenuItemText(proof, 2, UniString::fromUTF8("Probe"));
    EXPECT_EQ(sample->text(), QStringLiteral("Probe"));
    pf::SetMenuTitle(proof, UniString::fromUTF8("Épreuve"));
    EXPECT_EQ(bar->actions().at(2)->text(), QStringLiteral("Épreuve"));
    // The home window shares the very same menus.
    pf::WindowRef home = pf::GetHomeWindow();
    ASSERT_NE(home, nullptr);
    auto* homeBar = pf::windowFrameWidget(home)->findChild<QMenuBar*>();
    ASSERT_NE(homeBar, nullptr);
    EXPECT_EQ(homeBar->actions().at(2)->menu(), shown);

    // A triggered item goes to the active window first, then to the application.
    AppLog app;
    pf::InstallApplicationEventHandler(
        [&](pf::EventHandlerCallRef, pf::EventRef e) {
            if (e->eventClass == pf::kEventClassApplication && e->kind == pf::kEventAppQuit) {
                ++app.quits;
                return app.refuseQuit ? pf::noErr : pf::eventNotHandledErr;
            }
            app.commands.push_back(e->command);
            return pf::noErr;
        },
        {{pf::kEventClassCommand, pf::kEventCommandProcess}, {pf::kEventClassApplication, pf::kEventAppQuit}});
    std::vector<uint32_t> windowSaw;
    w->add_event(pf::kEventClassCommand, pf::kEventCommandProcess);
    struct Ctx {
        std::vector<uint32_t>* saw;
    } ctx{&windowSaw};
    w->set_event_callback(
        [](EventHandlerCallRef, EventRef e, void* d) {
            static_cast<Ctx*>(d)->saw->push_back(e->command);
            return e->command == pf::fourCC("VGZI") ? pf::noErr : pf::eventNotHandledErr;
        },
        &ctx);
    shown->actions().at(5)->trigger(); // Zoom In: the window takes it
    sample->trigger();                 // Sample: the window passes it on
    EXPECT_EQ(windowSaw, (std::vector<uint32_t>{pf::fourCC("VGZI"), pf::fourCC("VGSM")}));
    EXPECT_EQ(app.commands, (std::vector<uint32_t>{pf::fourCC("VGSM")}));

    // Closing the home window is the quit command; a refused quit keeps everything open.
    pf::windowFrameWidget(home)->close();
    pump();
    EXPECT_EQ(app.commands.back(), pf::fourCC("quit"));
    pf::RemoveApplicationEventHandler();
    pf::DisposeNibReference(nib);
}

TEST_F(Platform, DroppedFilesReachTheOpenDocumentHandler)
{
    TempDir dir;
    writeFile(dir / "a.tif", {1, 2, 3});
    std::vector<FSRef> got;
    pf::SetOpenDocumentHandler([&](const std::vector<FSRef>& files) { got = files; });
    Window* w = newWindow(R(100, 100, 200, 300));
    showActive(w);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString((dir / "a.tif").string())),
                  QUrl(QStringLiteral("https://example.invalid/b.tif"))});
    QWidget* content = pf::windowContentWidget(w->get_window_ref());
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(content, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(content, &drop);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].path, (dir / "a.tif").string());
    pf::SetOpenDocumentHandler(nullptr);
}

TEST_F(Platform, ThemeAndPictureCursors)
{
    Window* w = newWindow(R(100, 100, 200, 300));
    showActive(w);
    QWidget* content = pf::windowContentWidget(w->get_window_ref());
    struct Case {
        int32_t theme;
        Qt::CursorShape shape;
    };
    for (Case c : {Case{5, Qt::CrossCursor}, Case{8, Qt::ClosedHandCursor}, Case{9, Qt::OpenHandCursor},
                   Case{0, Qt::ArrowCursor}, Case{42, Qt::ArrowCursor}}) {
        pf::SetThemeCursor(c.theme);
        EXPECT_EQ(content->cursor().shape(), c.shape) << c.theme;
    }
    std::vector<unsigned char> pixels(16 * 16 * 4, 255), mask(16 * 16 * 4, 255);
    for (int i = 0; i < 16; ++i) // a black diagonal, the mask showing only it
        for (int k = 1; k < 4; ++k) {
            pixels[size_t(i * 16 + i) * 4 + size_t(k)] = 0;
            mask[size_t(i * 16 + i) * 4 + size_t(k)] = 0;
        }
    pf::PixMapDesc p{pixels.data(), 16, 16, 64}, m{mask.data(), 16, 16, 64};
    ASSERT_EQ(pf::QDRegisterNamedPixMapCursor(p, &m, 6, 7, "test\n"), pf::noErr);
    EXPECT_NE(pf::QDRegisterNamedPixMapCursor(p, &m, 6, 7, "test\n"), pf::noErr);
    pf::PixMapDesc small{mask.data(), 8, 8, 32};
    EXPECT_NE(pf::QDRegisterNamedPixMapCursor(p, &small, 0, 0, "mismatch"), pf::noErr);
    ASSERT_EQ(pf::QDSetNamedPixMapCursor("test\n"), pf::noErr);
    QCursor cur = content->cursor();
    EXPECT_EQ(cur.shape(), Qt::BitmapCursor);
    EXPECT_EQ(cur.hotSpot(), QPoint(7, 6));
    QImage img = cur.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(img.pixel(3, 3)), 255);
    EXPECT_EQ(qAlpha(img.pixel(4, 3)), 0);
    EXPECT_EQ(pf::GetCurrentCursorState().name, "test\n");
    EXPECT_EQ(pf::QDUnregisterNamedPixMapCursur("test\n"), pf::noErr);
    EXPECT_EQ(pf::GetCurrentCursorState().theme, 0); // back to the arrow
}

TEST_F(Platform, DisplayServicesOnTheOffscreenScreen)
{
    namespace d = vemora::nsp_MacDisplayCalibrateUtility;
    std::vector<d::CMDeviceInfo> list;
    ASSERT_TRUE(d::getSystemDisplayList(list));
    ASSERT_FALSE(list.empty());
    uint32_t main = d::getMainDisplayID();
    EXPECT_NE(main, 0u);
    EXPECT_EQ(main, list[0].deviceID);
    EXPECT_EQ(list[0].deviceClass, d::kMonitorDeviceClass);
    pf::Rect b;
    ASSERT_TRUE(d::getDisplayBounds(main, &b));
    EXPECT_EQ(d::getDisplayIDByPoint({b.left + 1.0, b.top + 1.0}, 1000), main);
    EXPECT_EQ(d::getDisplayIDByPoint({double(b.right), b.top + 1.0}, 1000), 0u); // right edge is outside
    EXPECT_EQ(d::getDisplayIDByPoint({-100000.0, -100000.0}, 1000), 0u);
    EXPECT_EQ(d::getDisplayIDByPoint({b.left + 1.0, b.top + 1.0}, 0), 0u);
    // No X server here: the bundled sRGB profile.
    FSRef profile;
    d::ProfileSource source = d::ProfileSource::None;
    ASSERT_TRUE(d::getDisplayProfileByDisplayID(&profile, main, &source));
    EXPECT_EQ(source, d::ProfileSource::Bundled);
    EXPECT_NE(profile.path.find("/share/veriglow/profiles/"), std::string::npos);
    EXPECT_FALSE(d::getDisplayProfileByDisplayID(&profile, main ^ 0x5A5A5A5Au));
    EXPECT_NE(d::displayIDOfName(""), 0u);
}

TEST_F(Platform, OpenDialogIsInstalledInTheFileLayer)
{
    TempDir dir;
    writeFile(dir / "pick.tif", {0});
    pf::InstallEventLoopTimer(0.05, -1,
                              [&](pf::EventLoopTimerRef t) {
                                  pf::RemoveEventLoopTimer(t);
                                  QWidget* modal = QApplication::activeModalWidget();
                                  if (auto* fd = qobject_cast<QFileDialog*>(modal)) {
                                      fd->selectFile(QString::fromStdString((dir / "pick.tif").string()));
                                      QMetaObject::invokeMethod(fd, "accept");
                                  }
                              },
                              nullptr);
    std::vector<FSRef> out;
    FSRef start{dir.str()};
    UniString title = UniString::fromUTF8("Open");
    ASSERT_TRUE(nsp_MacCarbonFile::dialogChooseFile(out, nullptr, pf::fourCC("****"), &start, &title, false));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].path, (dir / "pick.tif").string());
}

TEST_F(Platform, KeysAndCloseShortcutBecomeWindowEvents)
{
    Window* w = newWindow(R(100, 100, 200, 300));
    struct Seen {
        std::vector<std::tuple<uint32_t, uint32_t, char, uint32_t>> events;
    } seen;
    w->add_event({{pf::kEventClassKeyboard, pf::kEventRawKeyDown},
                  {pf::kEventClassKeyboard, pf::kEventRawKeyUp},
                  {pf::kEventClassKeyboard, pf::kEventRawKeyModifiersChanged}});
    w->set_event_callback(
        [](EventHandlerCallRef, EventRef e, void* d) {
            if (e->eventClass == pf::kEventClassKeyboard ||
                (e->eventClass == pf::kEventClassWindow && e->kind == pf::kEventWindowClose))
                static_cast<Seen*>(d)->events.emplace_back(e->eventClass, e->kind, e->character, e->modifiers);
            // The close request is taken, so the window stays.
            return e->eventClass == pf::kEventClassWindow ? pf::noErr : pf::eventNotHandledErr;
        },
        &seen);
    showActive(w);
    QWindow* h = handle(w);
    QTest::keyClick(h, Qt::Key_A);
    QTest::keyClick(h, Qt::Key_0, Qt::ControlModifier); // Ctrl goes down and up around it
    QTest::keyClick(h, Qt::Key_W, Qt::ControlModifier);
    pump();
    using E = std::tuple<uint32_t, uint32_t, char, uint32_t>;
    const uint32_t K = pf::kEventClassKeyboard;
    std::vector<E> want = {E{K, 1, 'a', 0},          E{K, 3, 'a', 0},
                           E{K, 4, 0, pf::cmdKey},   E{K, 1, '0', pf::cmdKey},
                           E{K, 3, '0', pf::cmdKey}, E{pf::kEventClassWindow, pf::kEventWindowClose, 0, 0}};
    std::vector<E> got;
    int modifierChanges = 0;
    for (const E& e : seen.events) {
        if (std::get<1>(e) == 4 && std::get<0>(e) == K) {
            if (modifierChanges++ == 0)
                got.push_back(e); // the first: Ctrl down
        } else {
            got.push_back(e);
        }
    }
    EXPECT_EQ(got, want);
    EXPECT_GE(modifierChanges, 2);
    EXPECT_TRUE(server.find(w));
}
