// veriglow-proof as a user meets it: its command line, its errors, the files it leaves, the
// sample readout and the options that must not change the colours (threads, rotation).
#include "proof_tool.h"

#include <gtest/gtest.h>
#include <lcms2.h>
#include <tiffio.h>

#include <cmath>
#include <cstring>
#include <fstream>

using namespace vgtest;

namespace {

// The English text (region 1) of a string id, from the UTF-8 source of the bundled table (the
// app tests check that the two agree).
std::string englishText(long id)
{
    std::ifstream in(kSourceDir + "/scripts/strings/strings.utf8.txt");
    const std::string prefix = "1\t" + std::to_string(id) + "\t";
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, prefix.size(), prefix) == 0)
            return line.substr(prefix.size());
    return std::string();
}

// A contiguous TIFF written with libtiff: `samples` holds width × height × channels values.
void writeTiff(const std::filesystem::path& path, uint32_t width, uint32_t height, uint16_t photometric,
               uint16_t channels, uint16_t bits, const std::vector<uint16_t>& samples)
{
    TIFF* t = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(t, nullptr);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, channels);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, static_cast<uint16_t>(PLANARCONFIG_CONTIG));
    TIFFSetField(t, TIFFTAG_COMPRESSION, static_cast<uint16_t>(COMPRESSION_LZW));
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(16));
    if (photometric == PHOTOMETRIC_SEPARATED)
        TIFFSetField(t, TIFFTAG_INKSET, static_cast<uint16_t>(INKSET_CMYK));
    const std::size_t n = static_cast<std::size_t>(width) * channels;
    std::vector<unsigned char> row(n * bits / 8);
    for (uint32_t y = 0; y < height; ++y) {
        for (std::size_t i = 0; i < n; ++i) {
            const uint16_t v = samples[y * n + i];
            if (bits == 8)
                row[i] = static_cast<unsigned char>(v);
            else
                std::memcpy(row.data() + 2 * i, &v, 2);
        }
        ASSERT_GE(TIFFWriteScanline(t, row.data(), y, 0), 0);
    }
    TIFFClose(t);
}

// The 8-bit RGB samples of a contiguous TIFF, as libtiff decodes them.
std::vector<unsigned char> tiffRgb8(const std::string& path, uint32_t* width, uint32_t* height)
{
    std::vector<unsigned char> out;
    TIFF* t = TIFFOpen(path.c_str(), "r");
    if (!t)
        return out;
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, width);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, height);
    std::vector<unsigned char> row(static_cast<std::size_t>(TIFFScanlineSize(t)));
    for (uint32_t y = 0; y < *height; ++y) {
        TIFFReadScanline(t, row.data(), y, 0);
        out.insert(out.end(), row.begin(), row.begin() + static_cast<long>(*width) * 3);
    }
    TIFFClose(t);
    return out;
}

std::vector<std::string> folderEntries(const std::filesystem::path& dir)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// ---- Command line ----

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
    const char* message;
};

class Usage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(Usage, WrongCommandLineExitsWithTwo)
{
    const UsageCase& c = GetParam();
    TempDir config, out;
    std::vector<std::string> args;
    for (const std::string& a : c.args)
        args.push_back(a == "OUT" ? (out / "p.png").string() : a == "IMG" ? corpus("rgb8-none-mm.tif") : a);
    const RunResult r = runTool(args, config);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Try 'veriglow-proof --help'."), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_TRUE(folderEntries(out.path()).empty()) << "a refused command line wrote a file";
}

const std::string kP = kFogra + ":P";
INSTANTIATE_TEST_SUITE_P(
    Cases, Usage,
    ::testing::Values(UsageCase{"no_image", {"-o", "OUT"}, "no image given"},
                      UsageCase{"nothing_to_do", {"IMG"}, "nothing to do"},
                      UsageCase{"unknown_option", {"IMG", "-o", "OUT", "--gamut"}, "unknown option --gamut"},
                      UsageCase{"two_images", {"IMG", "IMG", "-o", "OUT"}, "one image at a time"},
                      UsageCase{"output_without_value", {"IMG", "-o"}, "-o needs a value"},
                      UsageCase{"sample_one_number", {"IMG", "--sample", "3"}, "--sample takes X,Y or X,Y,SIZE"},
                      UsageCase{"sample_not_numbers", {"IMG", "--sample", "a,b"}, "--sample takes X,Y or X,Y,SIZE"},
                      UsageCase{"sample_four_numbers", {"IMG", "--sample", "1,2,3,4"}, "--sample takes X,Y or X,Y,SIZE"},
                      UsageCase{"sample_bad_size", {"IMG", "--sample", "1,2,4"}, "the sample size is 1, 3, 5, 10 or 20"},
                      UsageCase{"four_proofs",
                                {"IMG", "-o", "OUT", "--proof", kP, "--proof", kP, "--proof", kP, "--proof", kP},
                                "at most three --proof profiles"},
                      UsageCase{"out_intent_before_last",
                                {"IMG", "-o", "OUT", "--proof", kFogra + ":P:R", "--proof", kP},
                                "only the last proof profile takes an OUT intent"},
                      UsageCase{"bad_simulate", {"IMG", "-o", "OUT", "--simulate", "gloss"}, "--simulate takes none, ink or paper"},
                      UsageCase{"bad_rotate", {"IMG", "-o", "OUT", "--rotate", "up"}, "--rotate takes left or right"},
                      UsageCase{"zero_threads", {"IMG", "-o", "OUT", "--threads", "0"}, "--threads takes a number"}),
    [](const ::testing::TestParamInfo<UsageCase>& i) { return std::string(i.param.name); });

TEST(ProofTool, HelpPrintsUsageAndSucceeds)
{
    TempDir config;
    const RunResult r = runTool({"--help"}, config);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("Usage: veriglow-proof IMAGE -o OUT.png", 0), 0u) << r.out;
}

// ---- Files that are no proofable image, and profiles that do not fit ----

struct FailureCase {
    const char* name;
    std::string image; // "PNG" and "TEXT" are made by the test
    std::vector<std::string> extra;
    long alertId;
};

class Refused : public ::testing::TestWithParam<FailureCase> {};

TEST_P(Refused, ExitsWithOneAndTheAlertText)
{
    const FailureCase& c = GetParam();
    TempDir config, dir;
    std::string image = c.image;
    if (image == "TEXT") {
        image = (dir / "notes.tif").string();
        const std::string text = "not an image\n";
        writeFile(image, std::vector<unsigned char>(text.begin(), text.end()));
    } else if (image == "PNG") {
        image = (dir / "proof.png").string();
        ASSERT_EQ(runTool({corpus("rgb8-none-mm.tif"), "-o", image}, config).status, 0);
    } else if (image == "MISSING") {
        image = (dir / "gone.tif").string();
    }
    std::vector<std::string> args = {image, "-o", (dir / "out.png").string()};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    const RunResult r = runTool(args, config);
    EXPECT_EQ(r.status, 1) << r.err;
    const std::string text = englishText(c.alertId);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(r.err.find(text), std::string::npos) << "stderr: " << r.err << "\nwanted: " << text;
    EXPECT_FALSE(std::filesystem::exists(dir / "out.png"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Refused,
    ::testing::Values(FailureCase{"png_as_image", "PNG", {}, 3000}, FailureCase{"text_as_image", "TEXT", {}, 3000},
                      FailureCase{"missing_image", "MISSING", {}, 3002},
                      FailureCase{"greyscale_tiff", corpus("gray8-minisblack.tif"), {}, 3006},
                      FailureCase{"greyscale_jpeg", corpus("gray.jpg"), {}, 3006},
                      FailureCase{"cmyk_source_for_rgb", corpus("rgb8-none-mm.tif"), {"--source", kFogra}, 3008},
                      FailureCase{"rgb_source_for_cmyk", corpus("cmyk8-none.tif"), {"--source", kSRGB}, 3009},
                      FailureCase{"text_as_proof", corpus("rgb8-none-mm.tif"),
                                  {"--proof", kSourceDir + "/resources/param.txt"}, 3007}),
    [](const ::testing::TestParamInfo<FailureCase>& i) { return std::string(i.param.name); });

// ---- A failing run leaves the previous file and nothing else ----

TEST(ProofTool, FailingRunLeavesExistingOutputAndNoTemporaryFile)
{
    struct Run {
        const char* what;
        std::vector<std::string> args;
        long fileSizeLimit;
    };
    TempDir config, dir;
    const std::string out = (dir / "proof.png").string();
    const std::string previous = "the proof of yesterday";
    const std::vector<Run> runs = {
        {"missing image", {(dir / "gone.tif").string(), "-o", out}, -1},
        {"unusable proof profile", {corpus("rgb8-none-mm.tif"), "-o", out, "--proof", corpus("rgb8-none-mm.tif")}, -1},
        {"16-bit image shown natively", {corpus("rgb16-lzw-ii.tif"), "-o", out, "--native"}, -1},
        // The disk fills up while the PNG is written (profile and pixels take some 3.5 kB).
        {"write fails half-way", {corpus("cmyk8-none.tif"), "-o", out}, 1000},
    };
    for (const Run& run : runs) {
        SCOPED_TRACE(run.what);
        writeFile(out, std::vector<unsigned char>(previous.begin(), previous.end()));
        const RunResult r = runTool(run.args, config, run.fileSizeLimit);
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_TRUE(fileText(out) == previous) << "the previous file was changed";
        EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"proof.png"});
    }
    // No folder to write into.
    const RunResult missing = runTool({corpus("rgb8-none-mm.tif"), "-o", (dir / "gone" / "proof.png").string()}, config);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("cannot create a file next to"), std::string::npos) << missing.err;
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"proof.png"});
    // The finished file cannot take the place of a folder: the temporary file goes again.
    std::filesystem::remove(out);
    std::filesystem::create_directory(out);
    writeFile(std::filesystem::path(out) / "keep", {1, 2, 3});
    const RunResult r = runTool({corpus("rgb8-none-mm.tif"), "-o", out}, config);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"proof.png"});
    EXPECT_EQ(folderEntries(out), std::vector<std::string>{"keep"});
}

// ---- Pixels ----

TEST(ProofTool, NativeShowsTheImagesOwnBytes)
{
    TempDir config, dir;
    for (const char* leaf : {"rgb8-none-mm.tif", "rgb8-lzw-pred-ii.tif"}) {
        SCOPED_TRACE(leaf);
        const std::string out = (dir / "native.png").string();
        // A proof profile in the chain makes no difference to a native view.
        const RunResult r = runTool({corpus(leaf), "-o", out, "--native", "--proof", kP}, config);
        ASSERT_EQ(r.status, 0) << r.err;
        uint32_t w = 0, h = 0;
        const std::vector<unsigned char> own = tiffRgb8(corpus(leaf), &w, &h);
        Png png;
        ASSERT_TRUE(readPng(out, &png));
        EXPECT_EQ(png.width, w);
        EXPECT_EQ(png.height, h);
        EXPECT_TRUE(png.rgb == own);
    }
    for (const char* leaf : {"rgb16-lzw-ii.tif", "cmyk8-none.tif", "lab8.tif"}) {
        const RunResult r = runTool({corpus(leaf), "-o", (dir / "refused.png").string(), "--native"}, config);
        EXPECT_EQ(r.status, 1) << leaf;
        EXPECT_NE(r.err.find("only 8-bit RGB images"), std::string::npos) << r.err;
    }
}

TEST(ProofTool, RotationTurnsTheProofAndNothingElse)
{
    TempDir config, dir;
    const std::vector<std::string> chain = {"--proof", kFogra + ":P:bpc", "--simulate", "ink"};
    auto render = [&](const std::string& rotate, Png* png) {
        const std::string out = (dir / ("r" + rotate + ".png")).string();
        std::vector<std::string> args = {corpus("cmyk8-none.tif"), "-o", out};
        args.insert(args.end(), chain.begin(), chain.end());
        if (!rotate.empty()) {
            args.push_back("--rotate");
            args.push_back(rotate);
        }
        const RunResult r = runTool(args, config);
        ASSERT_EQ(r.status, 0) << r.err;
        ASSERT_TRUE(readPng(out, png));
    };
    Png plain, right, left;
    render("", &plain);
    render("right", &right);
    render("left", &left);
    const unsigned w = plain.width, h = plain.height;
    ASSERT_EQ(right.width, h);
    ASSERT_EQ(right.height, w);
    ASSERT_EQ(left.width, h);
    ASSERT_EQ(left.height, w);
    auto px = [](const Png& p, unsigned x, unsigned y) {
        const unsigned char* q = &p.rgb[(static_cast<std::size_t>(y) * p.width + x) * 3];
        return std::vector<unsigned char>(q, q + 3);
    };
    int wrong = 0;
    for (unsigned y = 0; y < w; ++y)
        for (unsigned x = 0; x < h; ++x) {
            // Turned right, the left column becomes the top row; turned left, the right column does.
            wrong += px(right, x, y) != px(plain, y, h - 1 - x);
            wrong += px(left, x, y) != px(plain, w - 1 - y, x);
            // Left and right are half a turn apart.
            wrong += px(left, x, y) != px(right, h - 1 - x, w - 1 - y);
        }
    EXPECT_EQ(wrong, 0);
}

TEST(ProofTool, ThreadsDoNotChangeTheFile)
{
    TempDir config, dir;
    // Tall enough for many bands of rows.
    const uint32_t w = 37, h = 263;
    std::vector<uint16_t> samples(static_cast<std::size_t>(w) * h * 4);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<uint16_t>((i * 7919u + (i / 4) * 31u) % 256u);
    const std::string image = (dir / "tall.tif").string();
    writeTiff(image, w, h, PHOTOMETRIC_SEPARATED, 4, 8, samples);
    std::vector<std::vector<unsigned char>> files;
    for (const char* threads : {"", "1", "3"}) {
        const std::string out = (dir / (std::string("t") + threads + ".png")).string();
        std::vector<std::string> args = {image, "-o", out, "--proof", kFogra + ":R:bpc"};
        if (*threads) {
            args.push_back("--threads");
            args.push_back(threads);
        }
        const RunResult r = runTool(args, config);
        ASSERT_EQ(r.status, 0) << r.err;
        files.push_back(readFile(out));
    }
    ASSERT_GT(files[0].size(), 1000u);
    EXPECT_TRUE(files[0] == files[1]) << "default and one thread differ";
    EXPECT_TRUE(files[0] == files[2]) << "default and three threads differ";
}

// ---- Sample readout ----

std::vector<std::string> lines(const std::string& s)
{
    std::vector<std::string> out;
    std::size_t p = 0;
    for (std::size_t n; (n = s.find('\n', p)) != std::string::npos; p = n + 1)
        out.push_back(s.substr(p, n - p));
    return out;
}

// True when `line` is `format` printed with `count` whole numbers.
bool matchesFormat(const std::string& line, const char* format, int count)
{
    int v[4] = {};
    if (std::sscanf(line.c_str(), format, &v[0], &v[1], &v[2], &v[3]) != count)
        return false;
    char again[128];
    std::snprintf(again, sizeof again, format, v[0], v[1], v[2], v[3]);
    return line == again;
}

TEST(ProofTool, SampleOfCmykPixelsPrintsPercentages)
{
    TempDir config, dir;
    // Ink values on the rounding edges of whole percent (655.35 a percent).
    const std::vector<uint16_t> samples = {32768, 0, 65535, 13107, 327, 328, 1000, 64880};
    const std::string image = (dir / "cmyk16.tif").string();
    writeTiff(image, 2, 1, PHOTOMETRIC_SEPARATED, 4, 16, samples);
    const struct {
        const char* at;
        const char* position;
        const char* value;
    } cases[] = {{"0,0", "Position: H: 0 V: 0", "Image: C: 50 M: 0 Y: 100 K: 20"},
                 {"1,0", "Position: H: 1 V: 0", "Image: C: 0 M: 1 Y: 2 K: 99"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.at);
        const RunResult r = runTool({image, "--sample", c.at, "--source", kFogra, "--proof", kFogra + ":P:bpc"}, config);
        ASSERT_EQ(r.status, 0) << r.err;
        const std::vector<std::string> l = lines(r.out);
        ASSERT_EQ(l.size(), 8u) << r.out;
        EXPECT_EQ(l[0], c.position);
        EXPECT_EQ(l[1], "Sample size: 1 px");
        EXPECT_EQ(l[2], c.value);
        EXPECT_TRUE(matchesFormat(l[3], "Step 1: L: %d a: %d b: %d", 3)) << l[3];
        EXPECT_TRUE(matchesFormat(l[4], "Step 2: C: %d M: %d Y: %d K: %d", 4)) << l[4];
        EXPECT_TRUE(matchesFormat(l[5], "Step 3: L: %d a: %d b: %d", 3)) << l[5];
        EXPECT_EQ(l[6], "Profile 0: Veriglow Coated FOGRA39");
        EXPECT_EQ(l[7], "Profile 1: Veriglow Coated FOGRA39");
    }
}

// Every step of the chain for one RGB pixel, against LittleCMS evaluating the same steps.
TEST(ProofTool, SampleStepsFollowTheChain)
{
    TempDir config;
    const std::string image = corpus("rgb8-none-mm.tif");
    uint32_t w = 0, h = 0;
    const std::vector<unsigned char> rgb = tiffRgb8(image, &w, &h);
    const unsigned x = 5, y = 9;
    ASSERT_LT(x, w);
    ASSERT_LT(y, h);
    const unsigned char* p = &rgb[(static_cast<std::size_t>(y) * w + x) * 3];
    // An RGB proof profile after the press: the sRGB profile again.
    const RunResult r = runTool({image, "--sample", std::to_string(x) + "," + std::to_string(y), "--proof",
                                 kFogra + ":R", "--proof", kSRGB + ":R"},
                                config);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> l = lines(r.out);
    ASSERT_EQ(l.size(), 11u) << r.out;
    EXPECT_EQ(l[0], "Position: H: 5 V: 9");
    char value[64];
    std::snprintf(value, sizeof value, "Image: R: %d G: %d B: %d", p[0], p[1], p[2]);
    EXPECT_EQ(l[2], value);
    EXPECT_EQ(l[8], "Profile 0: sRGB");
    EXPECT_EQ(l[9], "Profile 1: Veriglow Coated FOGRA39");
    EXPECT_EQ(l[10], "Profile 2: sRGB");

    // LittleCMS's value after each step: Lab, CMYK %, Lab, RGB, Lab.
    cmsHPROFILE srgb = cmsOpenProfileFromFile(kSRGB.c_str(), "r"), press = cmsOpenProfileFromFile(kFogra.c_str(), "r");
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    ASSERT_TRUE(srgb && press && lab);
    const std::vector<cmsHPROFILE> uses = {srgb, press, press, srgb, srgb};
    const double in[3] = {p[0] / 255.0, p[1] / 255.0, p[2] / 255.0};
    for (std::size_t n = 1; n <= uses.size(); ++n) {
        std::vector<cmsHPROFILE> chain(uses.begin(), uses.begin() + static_cast<long>(n));
        const bool labOut = n % 2 == 1;
        if (labOut)
            chain.push_back(lab);
        std::vector<cmsUInt32Number> intents(chain.size(), INTENT_RELATIVE_COLORIMETRIC);
        std::vector<cmsBool> bpc(chain.size(), FALSE);
        std::vector<cmsFloat64Number> adaptation(chain.size(), 1.0);
        const cmsUInt32Number outFormat = labOut ? TYPE_Lab_DBL : n == 2 ? TYPE_CMYK_DBL : TYPE_RGB_DBL;
        cmsHTRANSFORM t = cmsCreateExtendedTransform(nullptr, static_cast<cmsUInt32Number>(chain.size()), chain.data(),
                                                     bpc.data(), intents.data(), adaptation.data(), nullptr, 0,
                                                     TYPE_RGB_DBL, outFormat, cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
        ASSERT_NE(t, nullptr);
        double v[4] = {};
        cmsDoTransform(t, in, v, 1);
        cmsDeleteTransform(t);
        const std::string& line = l[2 + n];
        SCOPED_TRACE(line);
        ASSERT_EQ(line.rfind("Step " + std::to_string(n) + ": ", 0), 0u);
        double got[4] = {};
        const int read = labOut ? std::sscanf(line.c_str() + 8, "L: %lf a: %lf b: %lf", &got[0], &got[1], &got[2])
                         : n == 2 ? std::sscanf(line.c_str() + 8, "C: %lf M: %lf Y: %lf K: %lf", &got[0], &got[1], &got[2], &got[3])
                                  : std::sscanf(line.c_str() + 8, "R: %lf G: %lf B: %lf", &got[0], &got[1], &got[2]);
        ASSERT_EQ(read, n == 2 ? 4 : 3);
        for (int k = 0; k < read; ++k) {
            const double want = labOut || n == 2 ? v[k] : v[k] * 255;
            std::printf("step %zu channel %d: ours %g lcms %.3f\n", n, k, got[k], want);
            EXPECT_NEAR(got[k], want, 1.5) << "channel " << k;
        }
    }
    cmsCloseProfile(srgb);
    cmsCloseProfile(press);
    cmsCloseProfile(lab);
}

TEST(ProofTool, SampleOfLabImageNamesTheLabSource)
{
    TempDir config;
    // lab8.tif holds L = 0 … 255 over 0 … 100 with signed a and b.
    const RunResult r = runTool({corpus("lab8.tif"), "--sample", "3,4"}, config);
    ASSERT_EQ(r.status, 0) << r.err;
    TIFF* t = TIFFOpen(corpus("lab8.tif").c_str(), "r");
    ASSERT_NE(t, nullptr);
    std::vector<unsigned char> row(static_cast<std::size_t>(TIFFScanlineSize(t)));
    TIFFReadScanline(t, row.data(), 4, 0);
    TIFFClose(t);
    const unsigned char* p = &row[3 * 3];
    char value[64];
    std::snprintf(value, sizeof value, "Image: L: %ld a: %d b: %d", std::lround(p[0] * 100.0 / 255), static_cast<int8_t>(p[1]),
                  static_cast<int8_t>(p[2]));
    const std::vector<std::string> l = lines(r.out);
    ASSERT_EQ(l.size(), 4u) << r.out;
    EXPECT_EQ(l[2], value);
    EXPECT_EQ(l[3], "Profile 0: " + englishText(2450));
}

// The square is averaged (truncating) over the part of it inside the image; a square wholly
// outside is refused.
TEST(ProofTool, SampleSquareIsClippedToTheImage)
{
    TempDir config;
    const std::string image = corpus("rgb8-none-mm.tif");
    uint32_t w = 0, h = 0;
    const std::vector<unsigned char> rgb = tiffRgb8(image, &w, &h);
    const struct {
        const char* at;
        long x0, y0, x1, y1, size;
    } inside[] = {{"0,0,3", 0, 0, 2, 2, 3}, {"10,8,5", 8, 6, 13, 11, 5}, {"22,16,20", 12, 6, 23, 17, 20}, {"-1,3,3", 0, 2, 1, 5, 3}};
    for (const auto& c : inside) {
        SCOPED_TRACE(c.at);
        long sum[3] = {};
        for (long y = c.y0; y < c.y1; ++y)
            for (long x = c.x0; x < c.x1; ++x)
                for (int k = 0; k < 3; ++k)
                    sum[k] += rgb[(static_cast<std::size_t>(y) * w + static_cast<std::size_t>(x)) * 3 + static_cast<std::size_t>(k)];
        const long n = (c.x1 - c.x0) * (c.y1 - c.y0);
        char value[64], size[32];
        std::snprintf(value, sizeof value, "Image: R: %ld G: %ld B: %ld", sum[0] / n, sum[1] / n, sum[2] / n);
        std::snprintf(size, sizeof size, "Sample size: %ld px", c.size);
        const RunResult r = runTool({image, "--sample", c.at}, config);
        ASSERT_EQ(r.status, 0) << r.err;
        const std::vector<std::string> l = lines(r.out);
        ASSERT_GE(l.size(), 3u) << r.out;
        EXPECT_EQ(l[1], size);
        EXPECT_EQ(l[2], value);
    }
    for (const char* at : {"23,0", "0,17", "-1,3", "-2,3,3", "30,30,20"}) {
        const RunResult r = runTool({image, "--sample", at}, config);
        EXPECT_EQ(r.status, 1) << at;
        EXPECT_NE(r.err.find("outside the image"), std::string::npos) << r.err;
    }
}

// ---- Catalogue ----

TEST(ProofTool, ListProfilesShowsTheBundledProfilesFirst)
{
    TempDir config;
    const RunResult r = runTool({"--list-profiles"}, config);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> l = lines(r.out);
    ASSERT_GE(l.size(), 3u) << r.out;
    const std::string folder = VERIGLOW_BINARY_DIR "/share/veriglow/profiles";
    EXPECT_EQ(l[0], "Group 1: " + folder);
    EXPECT_EQ(l[1], "  sRGB\tRGB\tmntr\t" + folder + "/Veriglow sRGB.icc");
    EXPECT_EQ(l[2], "  Veriglow Coated FOGRA39\tCMYK\tprtr\t" + folder + "/Veriglow Coated FOGRA39.icc");
    EXPECT_TRUE(l.size() == 3 || l[3].empty()) << "group 1 holds more than the two bundled profiles";

    // By class: printers only, the bundled one first.
    const RunResult printers = runTool({"--list-profiles", "output"}, config);
    ASSERT_EQ(printers.status, 0) << printers.err;
    const std::vector<std::string> pl = lines(printers.out);
    ASSERT_GE(pl.size(), 2u);
    EXPECT_EQ(pl[1], l[2]);
    for (const std::string& line : pl) {
        if (line.rfind("  ", 0) == 0) {
            EXPECT_NE(line.find("\tprtr\t"), std::string::npos) << line;
        }
    }
}

} // namespace
