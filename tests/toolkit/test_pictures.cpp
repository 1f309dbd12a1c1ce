#include "gui_support.h"
#include "tiff_test_reader.h"

#include "toolkit/image_resources.h"

#include "../support/temp_dir.h"

#include <filesystem>
#include <fstream>

using namespace vgtest;

namespace {

class Pictures : public ::testing::Test {
protected:
    Pictures() { set_picture_file_reader(&readTiffPicture); }
    ~Pictures() override { set_picture_file_reader(nullptr); }

    static DirLocation dirOf(const std::filesystem::path& p)
    {
        FSRef ref;
        nsp_MacCarbonFile::getFSRefByPosixPath(&ref, p.string());
        return DirLocation(ref);
    }
    static void writeText(const std::filesystem::path& p, const std::string& text)
    {
        std::ofstream(p, std::ios::binary) << text;
    }
    // A w x h RGB (3 samples) or RGBA picture of one colour, written with libtiff.
    static void writeTiff(const std::filesystem::path& p, int w, int h, int spp, const unsigned char* color)
    {
        TIFF* t = TIFFOpen(p.c_str(), "w");
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, spp);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        if (spp == 4) {
            uint16_t extra = EXTRASAMPLE_ASSOCALPHA;
            TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &extra);
        }
        std::vector<unsigned char> row(size_t(w * spp));
        for (int x = 0; x < w; ++x)
            std::copy(color, color + spp, row.begin() + x * spp);
        for (int y = 0; y < h; ++y)
            TIFFWriteScanline(t, row.data(), uint32_t(y), 0);
        TIFFClose(t);
    }
    static const unsigned char* rgba(unsigned char r, unsigned char g, unsigned char b)
    {
        static unsigned char c[4];
        c[0] = r, c[1] = g, c[2] = b, c[3] = 255;
        return c;
    }
};

} // namespace

TEST_F(Pictures, EveryPictureTheApplicationAsksForIsThere)
{
    ImgResourceMng mng;
    std::filesystem::path res = VERIGLOW_SOURCE_DIR "/resources";
    ASSERT_TRUE(mng.read_image(dirOf(res), UniString::fromUTF8("pictures.txt"), dirOf(res / "pictures")));
    for (int cls = 1000; cls <= 1008; ++cls)
        for (int i = 1; i <= 4; ++i) {
            ToolkitImageHolder img = mng.get_image(cls, i);
            ASSERT_FALSE(img.isNull()) << cls << "," << i;
            if (cls != 1005) {
                EXPECT_EQ(img->format.width, 31);
                EXPECT_EQ(img->format.height, 27);
            }
            EXPECT_EQ(img->format.channel_count, 4) << cls << "," << i;
            EXPECT_NE(mng.get_cgimage(cls, i), nullptr);
        }
    for (int i = 2; i <= 5; ++i) {
        ToolkitImageHolder img = mng.get_image(1010, i);
        ASSERT_FALSE(img.isNull());
        EXPECT_EQ(img->format.channel_count, 3); // cursor pictures and masks are RGB
        EXPECT_EQ(img->format.width, 16);
    }
    EXPECT_FALSE(mng.get_image(1010, 1).isNull());
    ASSERT_FALSE(mng.get_image(2000, 1).isNull());
    EXPECT_EQ(mng.size(), 9u * 4u + 5u + 1u);
    // Premultiplied alpha: no colour sample exceeds its alpha.
    const ToolkitImage& about = *mng.get_image(1005, 3);
    for (size_t i = 0; i + 3 < about.pixels.size(); i += 4)
        ASSERT_LE(std::max({about.pixels[i], about.pixels[i + 1], about.pixels[i + 2]}), about.pixels[i + 3]);

    // The application's two cursors from these pictures.
    CarbonCursorMng cursors;
    EXPECT_TRUE(cursors.add_cursor(300, mng.get_image(1010, 2), mng.get_image(1010, 3), 6, 7));
    EXPECT_TRUE(cursors.add_cursor(301, mng.get_image(1010, 4), mng.get_image(1010, 5), 6, 7));
    EXPECT_FALSE(cursors.add_cursor(300, mng.get_image(1010, 2), mng.get_image(1010, 3), 6, 7));
    cursors.show(300);
    EXPECT_EQ(pf::GetCurrentCursorState().name, "400\n");
    cursors.show(5);
    EXPECT_EQ(pf::GetCurrentCursorState().theme, 5);
    cursors.show(250);
    EXPECT_EQ(pf::GetCurrentCursorState().theme, 0);
    EXPECT_TRUE(pf::GetCurrentCursorState().name.empty());
    cursors.show(301);
    EXPECT_EQ(pf::GetCurrentCursorState().name, "401\n");
    // A mask of another size makes no cursor.
    EXPECT_FALSE(cursors.add_cursor(302, mng.get_image(1010, 2), mng.get_image(1005, 1), 0, 0));
    EXPECT_FALSE(cursors.has_cursor(302));
}

TEST_F(Pictures, FirstRowOfAKeyWinsAndEmptyDirIsThePictureFolder)
{
    TempDir dir;
    std::filesystem::create_directories(dir / "pics" / "sub");
    writeTiff(dir / "pics" / "red.tif", 2, 2, 4, rgba(255, 0, 0));
    writeTiff(dir / "pics" / "sub" / "green.tif", 3, 1, 4, rgba(0, 255, 0));
    writeText(dir / "desc.txt",
              "# columns in another order, with one more\n"
              "begin_data_format image extra dir IDCLASS id end_data_format\n"
              "begin_data\n"
              "red.tif x \"\" 7 1\n"
              "green.tif y sub 7 1\n" // same key: ignored
              "green.tif y sub 07abc 2\n" // C-library number: leading digits
              "end_data\n");
    ImgResourceMng mng;
    ASSERT_TRUE(mng.read_image(dirOf(dir.path()), UniString::fromUTF8("desc.txt"), dirOf(dir / "pics")));
    ASSERT_FALSE(mng.get_image(7, 1).isNull());
    EXPECT_EQ(mng.get_image(7, 1)->format.width, 2);
    ASSERT_FALSE(mng.get_image(7, 2).isNull());
    EXPECT_EQ(mng.get_image(7, 2)->format.width, 3);
    EXPECT_TRUE(mng.get_image(7, 3).isNull());
    pf::CGImageRef first = mng.get_cgimage(7, 1);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(mng.get_cgimage(7, 1), first); // made once, then kept
    EXPECT_EQ(mng.get_cgimage(8, 1), nullptr);
}

TEST_F(Pictures, ProblemsEndTheReadingKeepingWhatWasStored)
{
    TempDir dir;
    std::filesystem::create_directories(dir / "pics");
    writeTiff(dir / "pics" / "red.tif", 2, 2, 4, rgba(255, 0, 0));
    writeText(dir / "pics" / "bad.tif", "not a TIFF");
    struct Case {
        const char* rows;
        bool keepsFirst;
    };
    const Case cases[] = {
        {"1 1 \"\" red.tif\n1 2 \"\" missing.tif\n", true},
        {"1 1 \"\" red.tif\n1 2 \"\" bad.tif\n", true},
        {"1 1 nofolder red.tif\n", false},
        {"1 1 \"\" ../pics/red.tif\n", false},
        {"1 1 .. red.tif\n", false},
        {"1 1 \"\" \"\"\n", false},
    };
    for (const Case& c : cases) {
        writeText(dir / "desc.txt", std::string("begin_data_format idclass id dir image end_data_format\nbegin_data\n") +
                                        c.rows + "end_data\n");
        ImgResourceMng mng;
        EXPECT_FALSE(mng.read_image(dirOf(dir.path()), UniString::fromUTF8("desc.txt"), dirOf(dir / "pics")))
            << c.rows;
        EXPECT_EQ(!mng.get_image(1, 1).isNull(), c.keepsFirst) << c.rows;
    }
    ImgResourceMng mng;
    EXPECT_FALSE(mng.read_image(dirOf(dir.path()), UniString::fromUTF8("absent.txt"), dirOf(dir / "pics")));
    writeText(dir / "desc.txt", "begin_data_format idclass id dir image end_data_format begin_data 1 1 \"\" red.tif");
    EXPECT_FALSE(mng.read_image(dirOf(dir.path()), UniString::fromUTF8("desc.txt"), dirOf(dir / "pics")));
    // Without a decoder no picture loads.
    set_picture_file_reader(nullptr);
    writeText(dir / "desc.txt", "begin_data_format idclass id dir image end_data_format begin_data 1 1 \"\" red.tif end_data");
    EXPECT_FALSE(mng.read_image(dirOf(dir.path()), UniString::fromUTF8("desc.txt"), dirOf(dir / "pics")));
}

namespace {

// The shipped pictures through the system's own TIFF reader: every one decodes, with the same
// layout and samples as the libtiff reference gives.
TEST(PictureFiles, OwnReaderMatchesLibtiffOnEveryShippedPicture)
{
    set_picture_file_reader(nullptr);
    std::size_t checked = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(VERIGLOW_SOURCE_DIR "/resources/pictures")) {
        if (!e.is_regular_file() || e.path().extension() != ".tif")
            continue;
        FSRef ref;
        ASSERT_TRUE(nsp_MacCarbonFile::getFSRefByPosixPath(&ref, e.path().string()));
        ToolkitImageHolder ours, ref2;
        ASSERT_TRUE(read_picture_file(ref, ours)) << e.path();
        ASSERT_TRUE(vgtest::readTiffPicture(ref, ref2)) << e.path();
        EXPECT_EQ(ours->format.width, ref2->format.width) << e.path();
        EXPECT_EQ(ours->format.channel_count, ref2->format.channel_count) << e.path();
        EXPECT_EQ(ours->format.bytes_per_pixel, ref2->format.bytes_per_pixel) << e.path();
        EXPECT_EQ(ours->pixels, ref2->pixels) << e.path();
        ++checked;
    }
    EXPECT_GT(checked, 40u);
}

} // namespace
