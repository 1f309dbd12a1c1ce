// A window from an interface file with a scroll bar, a pop-up, a check box, an image button,
// a placard and theme text; its screenshot is written to the build folder
// (toolkit-demo.png) to be looked at.
#include "gui_support.h"
#include "tiff_test_reader.h"

#include "toolkit/image_resources.h"

using namespace vgtest;

namespace {

struct Demo {
    int clicks = 0;
    std::vector<int> parts;
};

} // namespace

TEST(Demo, WindowFromInterfaceFileWithEveryKindOfControl)
{
    set_picture_file_reader(&readTiffPicture);
    WindowServer server;
    ImgResourceMng pictures;
    FSRef res;
    nsp_MacCarbonFile::getFSRefByPosixPath(&res, VERIGLOW_SOURCE_DIR "/resources");
    DirLocation resources(res), folder;
    ASSERT_TRUE(resources.getSubDir(&folder, UniString::fromUTF8("pictures")));
    ASSERT_TRUE(pictures.read_image(resources, UniString::fromUTF8("pictures.txt"), folder));

    pf::NibRef nib = nullptr;
    ASSERT_EQ(pf::CreateNibReference(VERIGLOW_SOURCE_DIR "/tests/toolkit/fixtures/interface", &nib), pf::noErr);
    pf::WindowRef ref = nullptr;
    ASSERT_EQ(pf::CreateWindowFromNib(nib, UniString::fromUTF8("demo"), &ref), pf::noErr);
    Window* w = View::create_view<Window>();
    w->set(ref);
    w->set_theme_background(1, true);
    Demo demo;

    auto* bar = View::create_view<ScrollBar>();
    bar->enter_to_super(w);
    ASSERT_TRUE(bar->use_control_by_id(pf::fourCC("DEMO"), 1));
    bar->set_bar_ratio(100, 0, 400);
    bar->set_value(120);
    bar->set_action_callback([](ScrollBar::ControlPartT p, ScrollBar*, void* d) { static_cast<Demo*>(d)->parts.push_back(p); },
                             &demo);

    // The tool-bar look of a proof window: placard with a read-out, and picture buttons.
    auto* placard = View::create_view<ThemePlacard>();
    placard->enter_to_super(w);
    placard->set_view_rect(R(140, 10, 156, 70));
    auto* text = View::create_view<ThemeTextBox>();
    text->enter_to_super(placard);
    text->set_view_rect(R(0, 4, 15, 59));
    text->set_font(1);
    text->set_text(UniString::fromUTF8("H: 1024"));

    const int classes[] = {1007, 1000};
    ImageButton* buttons[2];
    for (int i = 0; i < 2; ++i) {
        auto* b = View::create_view<ImageButton>();
        b->enter_to_super(w);
        b->set_view_rect(R(12, 10 + 36 * i * 0, 39, 41));
        b->move_view_to(10, 12 + 40 * i + 30 * (i == 1));
        b->init();
        int c = classes[i];
        b->set_button_image(pictures.get_cgimage(c, 4), pictures.get_cgimage(c, 2), pictures.get_cgimage(c, 3),
                            pictures.get_cgimage(c, 1));
        b->set_click_callback([](ImageButton*, void* d) { ++static_cast<Demo*>(d)->clicks; }, &demo);
        buttons[i] = b;
    }
    buttons[1]->set_toggle_enable(true);
    buttons[1]->set_toggle_image(pictures.get_cgimage(1005, 1), pictures.get_cgimage(1005, 2),
                                 pictures.get_cgimage(1005, 3), pictures.get_cgimage(1005, 4));
    buttons[1]->set_toggle(true);

    showActive(w);
    w->draw();
    pump(20);
    // Pixels of the port: the zoom-in button's face and its dark glyph, the toggle ring.
    Rect zb = buttons[0]->get_local_view_rect();
    EXPECT_EQ(zb, R(12, 10, 39, 41));
    EXPECT_EQ(pixel(w, zb.left + 3, zb.top + 20), qRgb(236, 236, 236) & 0xFFFFFF);
    EXPECT_LT(qRed(pixel(w, zb.left + 13, zb.top + 5)), 80); // the lens ring
    Rect hb = buttons[1]->get_local_view_rect();
    QRgb ring = pixel(w, hb.left + 3, hb.top + 13);
    EXPECT_GT(qBlue(ring), 180);
    EXPECT_LT(qRed(ring), 90);

    press(w, zb.left + 15, zb.top + 13);
    release(w, zb.left + 15, zb.top + 13);
    EXPECT_EQ(demo.clicks, 1);
    QWidget* barWidget = pf::controlWidget(bar->get_control());
    QTest::mouseClick(barWidget->window()->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      barWidget->mapTo(barWidget->window(), QPoint(barWidget->width() - 20, 8)));
    pump();
    EXPECT_FALSE(demo.parts.empty());
    moveTo(w, 300, 60); // pointer off the buttons

    QImage shot = pf::windowFrameWidget(ref)->grab().toImage();
    QString path = QStringLiteral(VERIGLOW_BINARY_DIR "/toolkit-demo.png");
    ASSERT_TRUE(shot.save(path));
    std::printf("screenshot: %s\n", path.toUtf8().constData());
    server.close_all_window();
    pump();
    pf::DisposeNibReference(nib);
    set_picture_file_reader(nullptr);
}
