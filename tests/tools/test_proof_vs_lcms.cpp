// veriglow-proof end to end against LittleCMS: each case renders a file with the tool, and
// LittleCMS converts the same file (decoded here with libtiff or libjpeg) through the same chain
// of profiles with the same intents and black point compensation. Both results are read as Lab
// through the display profile and compared pixel by pixel in CIEDE2000; mean and maximum are
// printed for every case.
//
// How a proof chain reads in LittleCMS terms (cmsCreateExtendedTransform, one intent and one
// compensation flag per profile, a profile converting out of the PCS when the colour before it
// is PCS and into it otherwise):
//  - the source, then every proof profile twice (into it at its IN intent with its compensation,
//    out of it at the next IN intent), then the display;
//  - no simulation: the last use relative colorimetric, the display relative with compensation;
//    black ink: the display without compensation; paper: the last use absolute colorimetric.
//    LittleCMS scales absolutely only on the way into the next output profile, against that
//    profile's white, so the paper case ends in a D50 Lab profile at absolute intent and goes
//    from there to the display, relative and uncompensated.
#include "proof_tool.h"

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <lcms2.h>
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>

using namespace vgtest;

namespace {

const std::string kGsCmyk = "/usr/share/color/icc/ghostscript/default_cmyk.icc";
const std::string kAdobeRgb = "/usr/share/color/icc/colord/AdobeRGB1998.icc";
const std::string kChart = kSourceDir + "/resources/samples/veriglow-chart.tif";

enum class Space { RGB, CMYK, Lab };

// An image decoded for LittleCMS: samples as doubles in the ranges of TYPE_RGB_DBL (0 … 1),
// TYPE_CMYK_DBL (0 … 100 % ink) and TYPE_Lab_DBL.
struct Decoded {
    unsigned width = 0, height = 0;
    Space space = Space::RGB;
    std::vector<double> samples;
    std::vector<unsigned char> icc;
};

bool decodeTiff(const std::string& path, Decoded* d)
{
    TIFF* t = TIFFOpen(path.c_str(), "r");
    if (!t)
        return false;
    uint32_t w = 0, h = 0;
    uint16_t spp = 0, bps = 0, photometric = 0, planar = PLANARCONFIG_CONTIG;
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &h);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &spp);
    TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &bps);
    TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &planar);
    uint32_t iccSize = 0;
    void* icc = nullptr;
    if (TIFFGetField(t, TIFFTAG_ICCPROFILE, &iccSize, &icc) && icc)
        d->icc.assign(static_cast<unsigned char*>(icc), static_cast<unsigned char*>(icc) + iccSize);
    const int n = photometric == PHOTOMETRIC_SEPARATED ? 4 : 3;
    const bool known = (photometric == PHOTOMETRIC_RGB || photometric == PHOTOMETRIC_SEPARATED ||
                        photometric == PHOTOMETRIC_CIELAB) &&
                       spp == n && (bps == 8 || bps == 16) && planar == PLANARCONFIG_CONTIG;
    if (!known) {
        TIFFClose(t);
        return false;
    }
    d->width = w;
    d->height = h;
    d->space = photometric == PHOTOMETRIC_RGB ? Space::RGB : photometric == PHOTOMETRIC_SEPARATED ? Space::CMYK : Space::Lab;
    d->samples.assign(static_cast<std::size_t>(w) * h * n, 0);
    std::vector<unsigned char> row(static_cast<std::size_t>(TIFFScanlineSize(t)));
    const double top = bps == 8 ? 255.0 : 65535.0;
    for (uint32_t y = 0; y < h; ++y) {
        if (TIFFReadScanline(t, row.data(), y, 0) < 0) {
            TIFFClose(t);
            return false;
        }
        for (uint32_t i = 0; i < w * static_cast<uint32_t>(n); ++i) {
            const int k = static_cast<int>(i % static_cast<uint32_t>(n));
            uint16_t u = 0;
            if (bps == 8)
                u = row[i];
            else
                std::memcpy(&u, row.data() + 2 * i, 2); // libtiff hands samples in host order
            double v = 0;
            if (d->space == Space::Lab) {
                // TIFF CIELab: L* unsigned over 0 … 100; a*, b* signed, in units of 1/256 at 16 bits.
                if (k == 0)
                    v = u * 100.0 / top;
                else
                    v = bps == 8 ? static_cast<int8_t>(u) : static_cast<int16_t>(u) / 256.0;
            } else {
                v = u / top * (d->space == Space::CMYK ? 100.0 : 1.0);
            }
            d->samples[static_cast<std::size_t>(y) * w * n + i] = v;
        }
    }
    TIFFClose(t);
    return true;
}

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void onJpegError(j_common_ptr c)
{
    std::longjmp(reinterpret_cast<JpegError*>(c->err)->jump, 1);
}

// libjpeg's default decoding, as the application's reader uses it; nothing here has a
// destructor because errors leave by longjmp.
bool decodeJpegRaw(std::FILE* f, jpeg_decompress_struct* c, JpegError* err, std::vector<unsigned char>* pixels,
                   int* components, bool* adobe, JOCTET** icc, unsigned* iccSize)
{
    c->err = jpeg_std_error(&err->mgr);
    err->mgr.error_exit = onJpegError;
    if (setjmp(err->jump)) {
        jpeg_destroy_decompress(c);
        return false;
    }
    jpeg_create_decompress(c);
    jpeg_stdio_src(c, f);
    jpeg_save_markers(c, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(c, TRUE);
    jpeg_read_icc_profile(c, icc, iccSize);
    jpeg_start_decompress(c);
    *components = c->output_components;
    *adobe = c->saw_Adobe_marker;
    const std::size_t stride = static_cast<std::size_t>(c->output_width) * static_cast<std::size_t>(c->output_components);
    pixels->resize(stride * c->output_height);
    while (c->output_scanline < c->output_height) {
        JSAMPROW row = pixels->data() + stride * c->output_scanline;
        jpeg_read_scanlines(c, &row, 1);
    }
    jpeg_finish_decompress(c);
    jpeg_destroy_decompress(c);
    return true;
}

bool decodeJpeg(const std::string& path, Decoded* d)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    jpeg_decompress_struct c{};
    JpegError err{};
    std::vector<unsigned char> pixels;
    int n = 0;
    bool adobe = false;
    JOCTET* icc = nullptr;
    unsigned iccSize = 0;
    const bool ok = decodeJpegRaw(f, &c, &err, &pixels, &n, &adobe, &icc, &iccSize);
    std::fclose(f);
    if (icc) {
        d->icc.assign(icc, icc + iccSize);
        std::free(icc);
    }
    if (!ok || (n != 3 && n != 4))
        return false;
    d->width = c.output_width;
    d->height = c.output_height;
    d->space = n == 3 ? Space::RGB : Space::CMYK;
    d->samples.resize(pixels.size());
    for (std::size_t i = 0; i < pixels.size(); ++i)
        // Adobe's CMYK JPEGs hold 255 for no ink.
        d->samples[i] = n == 3 ? pixels[i] / 255.0 : (adobe ? 255 - pixels[i] : pixels[i]) / 2.55;
    return true;
}

bool decodeImage(const std::string& path, Decoded* d)
{
    return path.size() > 4 && path.compare(path.size() - 4, 4, ".jpg") == 0 ? decodeJpeg(path, d) : decodeTiff(path, d);
}

using ProfileHandle = std::unique_ptr<void, cmsBool (*)(cmsHPROFILE)>;
using TransformHandle = std::unique_ptr<void, void (*)(cmsHTRANSFORM)>;

ProfileHandle openProfile(const std::string& path) { return ProfileHandle(cmsOpenProfileFromFile(path.c_str(), "r"), cmsCloseProfile); }
ProfileHandle labD50() { return ProfileHandle(cmsCreateLab4Profile(nullptr), cmsCloseProfile); }

// A version 2 RGB printer profile whose tables differ by intent, so that a chain picking the
// wrong table shows: device values are the sRGB profile's, and the perceptual and saturation
// tables render into the device with less chroma (and lighter, for saturation) and read out of
// it with one of a or b a little reduced. Its paper is a warm white. Written once per test run
// by LittleCMS; both engines read the same file.
const double kPaper[3] = {0.93, 0.95, 0.76};

struct Rendering {
    double chromaIn, lightIn, aOut, bOut;
};
const Rendering kRenderings[3] = {{0.7, 0, 1, 0.9}, {1, 0, 1, 1}, {0.85, 6, 0.9, 1}}; // P, R, S

struct SamplerCargo {
    cmsHTRANSFORM transform;
    Rendering r;
};

int sampleA2B(const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo)
{
    const auto* c = static_cast<const SamplerCargo*>(cargo);
    const double rgb[3] = {in[0] / 65535.0, in[1] / 65535.0, in[2] / 65535.0};
    cmsCIELab lab;
    cmsDoTransform(c->transform, rgb, &lab, 1);
    lab.a *= c->r.aOut;
    lab.b *= c->r.bOut;
    cmsFloat2LabEncodedV2(out, &lab);
    return TRUE;
}

int sampleB2A(const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo)
{
    const auto* c = static_cast<const SamplerCargo*>(cargo);
    cmsCIELab lab;
    cmsLabEncoded2FloatV2(&lab, in);
    lab.L = c->r.lightIn + lab.L * (100 - c->r.lightIn) / 100;
    lab.a *= c->r.chromaIn;
    lab.b *= c->r.chromaIn;
    double rgb[3];
    cmsDoTransform(c->transform, &lab, rgb, 1);
    for (int k = 0; k < 3; ++k)
        out[k] = static_cast<cmsUInt16Number>(std::lround(std::clamp(rgb[k], 0.0, 1.0) * 65535));
    return TRUE;
}

bool writeTestPrinter(const std::string& path)
{
    ProfileHandle srgb = openProfile(kSRGB), lab = labD50();
    if (!srgb || !lab)
        return false;
    TransformHandle toLab(cmsCreateTransform(srgb.get(), TYPE_RGB_DBL, lab.get(), TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC,
                                             cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE),
                          cmsDeleteTransform);
    TransformHandle toRgb(cmsCreateTransform(lab.get(), TYPE_Lab_DBL, srgb.get(), TYPE_RGB_DBL, INTENT_RELATIVE_COLORIMETRIC,
                                             cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE),
                          cmsDeleteTransform);
    ProfileHandle h(cmsCreateProfilePlaceholder(nullptr), cmsCloseProfile);
    if (!toLab || !toRgb || !h)
        return false;
    cmsSetProfileVersion(h.get(), 2.1);
    cmsSetDeviceClass(h.get(), cmsSigOutputClass);
    cmsSetColorSpace(h.get(), cmsSigRgbData);
    cmsSetPCS(h.get(), cmsSigLabData);
    cmsSetHeaderRenderingIntent(h.get(), INTENT_SATURATION);
    const cmsCIEXYZ white = {kPaper[0], kPaper[1], kPaper[2]};
    bool ok = cmsWriteTag(h.get(), cmsSigMediaWhitePointTag, &white);
    cmsMLU* name = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(name, "en", "US", "Test RGB printer");
    ok = ok && cmsWriteTag(h.get(), cmsSigProfileDescriptionTag, name);
    cmsMLUfree(name);
    const cmsTagSignature a2b[3] = {cmsSigAToB0Tag, cmsSigAToB1Tag, cmsSigAToB2Tag};
    const cmsTagSignature b2a[3] = {cmsSigBToA0Tag, cmsSigBToA1Tag, cmsSigBToA2Tag};
    for (int i = 0; i < 3 && ok; ++i) {
        for (int direction = 0; direction < 2 && ok; ++direction) {
            SamplerCargo cargo{direction == 0 ? toLab.get() : toRgb.get(), kRenderings[i]};
            cmsPipeline* lut = cmsPipelineAlloc(nullptr, 3, 3);
            cmsStage* clut = cmsStageAllocCLut16bit(nullptr, direction == 0 ? 17 : 33, 3, 3, nullptr);
            ok = lut && clut && cmsStageSampleCLut16bit(clut, direction == 0 ? sampleA2B : sampleB2A, &cargo, 0) &&
                 cmsPipelineInsertStage(lut, cmsAT_END, clut);
            if (!ok && clut)
                cmsStageFree(clut);
            ok = ok && cmsWriteTag(h.get(), direction == 0 ? a2b[i] : b2a[i], lut);
            if (lut)
                cmsPipelineFree(lut);
        }
    }
    return ok && cmsSaveProfileToFile(h.get(), path.c_str());
}

// The test printer's file, made on first use.
const std::string& testPrinter()
{
    static TempDir dir;
    static const std::string path = [] {
        const std::string p = (dir / "Test RGB printer.icc").string();
        return writeTestPrinter(p) ? p : std::string();
    }();
    return path;
}

const std::string kTestPrinter = "@test-printer";
std::string profilePath(const std::string& p) { return p == kTestPrinter ? testPrinter() : p; }

// A proof profile as the tool's --proof takes it; an intent letter of 0 leaves the profile's
// own intent.
struct ProofArg {
    std::string profile;
    char in = 0, out = 0;
    bool bpc = false;
};

struct Case {
    std::string name, image, source; // source: a --source profile, or empty for the image's default
    std::vector<ProofArg> proofs;
    std::string simulate = "none";
    double meanBound = 0, maxBound = 0;
    bool consistency = true;
};

cmsUInt32Number intentOf(char letter, cmsHPROFILE profile)
{
    switch (letter) {
    case 'P':
        return INTENT_PERCEPTUAL;
    case 'R':
        return INTENT_RELATIVE_COLORIMETRIC;
    case 'S':
        return INTENT_SATURATION;
    case 'A':
        return INTENT_ABSOLUTE_COLORIMETRIC;
    default:
        return cmsGetHeaderRenderingIntent(profile);
    }
}

cmsUInt32Number inputFormat(Space s)
{
    return s == Space::RGB ? TYPE_RGB_DBL : s == Space::CMYK ? TYPE_CMYK_DBL : TYPE_Lab_DBL;
}

struct Chain {
    std::vector<cmsHPROFILE> profiles;
    std::vector<cmsUInt32Number> intents;
    std::vector<cmsBool> bpc;
    void add(cmsHPROFILE p, cmsUInt32Number intent, bool compensate = false)
    {
        profiles.push_back(p);
        intents.push_back(intent);
        bpc.push_back(compensate);
    }
    TransformHandle make(cmsUInt32Number in, cmsUInt32Number out)
    {
        std::vector<cmsFloat64Number> adaptation(profiles.size(), 1.0);
        return TransformHandle(cmsCreateExtendedTransform(nullptr, static_cast<cmsUInt32Number>(profiles.size()),
                                                          profiles.data(), bpc.data(), intents.data(), adaptation.data(),
                                                          nullptr, 0, in, out, cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE),
                               cmsDeleteTransform);
    }
};

// The proof of `image` through `c`'s chain, 8-bit RGB as the tool should write it.
std::vector<unsigned char> referenceProof(const Decoded& image, const Case& c, cmsHPROFILE display, std::string* error)
{
    std::vector<ProfileHandle> held;
    if (image.space == Space::Lab)
        held.push_back(labD50());
    else if (!c.source.empty())
        held.push_back(openProfile(profilePath(c.source)));
    else if (!image.icc.empty())
        held.push_back(ProfileHandle(cmsOpenProfileFromMem(image.icc.data(), static_cast<cmsUInt32Number>(image.icc.size())),
                                     cmsCloseProfile));
    else
        held.push_back(openProfile(image.space == Space::RGB ? kSRGB : kFogra));
    for (const ProofArg& p : c.proofs)
        held.push_back(openProfile(profilePath(p.profile)));
    for (const ProfileHandle& h : held)
        if (!h) {
            *error = "a profile does not open in LittleCMS";
            return {};
        }

    const bool paper = c.simulate == "paper";
    Chain chain;
    // With intent consistency every use converting out of a profile takes the IN intent of the
    // profile after it, else its own OUT intent (the profile's intent when none is given); the
    // last one is fixed by the simulation.
    const cmsUInt32Number last = paper ? INTENT_ABSOLUTE_COLORIMETRIC : INTENT_RELATIVE_COLORIMETRIC;
    auto outOf = [&](std::size_t k) { // k = 0: the source, else proof k - 1
        if (k == c.proofs.size())
            return last;
        if (c.consistency)
            return intentOf(c.proofs[k].in, held[k + 1].get());
        return k == 0 ? cmsGetHeaderRenderingIntent(held[0].get()) : intentOf(c.proofs[k - 1].out, held[k].get());
    };
    chain.add(held[0].get(), outOf(0));
    for (std::size_t k = 0; k < c.proofs.size(); ++k) {
        cmsHPROFILE p = held[k + 1].get();
        chain.add(p, intentOf(c.proofs[k].in, p), c.proofs[k].bpc);
        chain.add(p, outOf(k + 1));
    }

    const std::size_t pixels = static_cast<std::size_t>(image.width) * image.height;
    std::vector<double> rgb(pixels * 3);
    if (paper) {
        ProfileHandle lab = labD50();
        chain.add(lab.get(), INTENT_ABSOLUTE_COLORIMETRIC);
        TransformHandle toLab = chain.make(inputFormat(image.space), TYPE_Lab_DBL);
        Chain view;
        view.add(lab.get(), INTENT_RELATIVE_COLORIMETRIC);
        view.add(display, INTENT_RELATIVE_COLORIMETRIC);
        TransformHandle toDisplay = view.make(TYPE_Lab_DBL, TYPE_RGB_DBL);
        if (!toLab || !toDisplay) {
            *error = "LittleCMS makes no transform of the chain";
            return {};
        }
        std::vector<double> labs(pixels * 3);
        cmsDoTransform(toLab.get(), image.samples.data(), labs.data(), static_cast<cmsUInt32Number>(pixels));
        cmsDoTransform(toDisplay.get(), labs.data(), rgb.data(), static_cast<cmsUInt32Number>(pixels));
    } else {
        chain.add(display, INTENT_RELATIVE_COLORIMETRIC, c.simulate == "none");
        TransformHandle t = chain.make(inputFormat(image.space), TYPE_RGB_DBL);
        if (!t) {
            *error = "LittleCMS makes no transform of the chain";
            return {};
        }
        cmsDoTransform(t.get(), image.samples.data(), rgb.data(), static_cast<cmsUInt32Number>(pixels));
    }
    std::vector<unsigned char> out(rgb.size());
    for (std::size_t i = 0; i < rgb.size(); ++i)
        out[i] = static_cast<unsigned char>(std::lround(std::clamp(rgb[i], 0.0, 1.0) * 255));
    return out;
}

std::vector<cmsCIELab> displayLab(const std::vector<unsigned char>& rgb, cmsHPROFILE display)
{
    ProfileHandle lab = labD50();
    TransformHandle t(cmsCreateTransform(display, TYPE_RGB_8, lab.get(), TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC,
                                         cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE),
                      cmsDeleteTransform);
    std::vector<cmsCIELab> out(rgb.size() / 3);
    if (t)
        cmsDoTransform(t.get(), rgb.data(), out.data(), static_cast<cmsUInt32Number>(out.size()));
    return out;
}

std::vector<std::string> toolArgs(const Case& c, const std::string& out)
{
    std::vector<std::string> a = {c.image, "-o", out, "--simulate", c.simulate};
    if (!c.source.empty()) {
        a.push_back("--source");
        a.push_back(profilePath(c.source));
    }
    if (!c.consistency)
        a.push_back("--no-consistency");
    for (const ProofArg& p : c.proofs) {
        std::string s = profilePath(p.profile);
        if (p.in)
            s += std::string(":") + p.in;
        if (p.out)
            s += std::string(":") + p.out;
        if (p.bpc)
            s += ":bpc";
        a.push_back("--proof");
        a.push_back(s);
    }
    return a;
}

ProofArg fogra(char in, bool bpc = false, char out = 0) { return {kFogra, in, out, bpc}; }
ProofArg gsCmyk(char in, bool bpc = false, char out = 0) { return {kGsCmyk, in, out, bpc}; }
ProofArg adobeRgb(char in, bool bpc = false) { return {kAdobeRgb, in, 0, bpc}; }
ProofArg printer(char in, bool bpc = false, char out = 0) { return {kTestPrinter, in, out, bpc}; }

// The chains an image goes through: `set` 0 the short list (the source alone, a press with and
// without compensation, each simulation, two printers), 1 only its first two, 2 everything:
// every intent on a printer profile whose tables differ by intent (the bundled press profile
// and the installed one have the same tables at every intent), OUT intents with and without
// consistency, up to three proof profiles.
void addChains(std::vector<Case>* cases, const std::string& tag, const std::string& image, const std::string& source,
               int set)
{
    std::vector<Case> chains = {
        {"none", image, source, {}, "none"},
        {"fogra_P_bpc", image, source, {fogra('P', true)}, "none"},
        {"fogra_R_ink", image, source, {fogra('R')}, "ink"},
        {"fogra_R_paper", image, source, {fogra('R')}, "paper"},
        {"fogra_R_gs_P_bpc", image, source, {fogra('R'), gsCmyk('P', true)}, "none"},
    };
    if (set == 1)
        chains.resize(2);
    if (set == 2) {
        const std::vector<Case> more = {
            {"fogra_R_bpc", image, source, {fogra('R', true)}, "none"},
            {"gs_P_bpc", image, source, {gsCmyk('P', true)}, "none"},
            {"printer_P", image, source, {printer('P')}, "none"},
            {"printer_R", image, source, {printer('R')}, "none"},
            {"printer_S", image, source, {printer('S')}, "none"},
            {"printer_default_intent", image, source, {printer(0)}, "none"},
            {"printer_P_out_S", image, source, {printer('P', false, 'S')}, "none"},
            {"printer_P_bpc_ink", image, source, {printer('P', true)}, "ink"},
            {"printer_S_paper", image, source, {printer('S')}, "paper"},
            {"fogra_P_bpc_paper", image, source, {fogra('P', true)}, "paper"},
            {"printer_S_printer_P", image, source, {printer('S'), printer('P')}, "none"},
            {"gs_P_fogra_R_bpc", image, source, {gsCmyk('P'), fogra('R', true)}, "none"},
            {"no_consistency_printer_P_out_S_printer_R", image, source, {printer('P', false, 'S'), printer('R')}, "none",
             0, 0, false},
            {"no_consistency_printer_R_printer_P", image, source, {printer('R'), printer('P')}, "none", 0, 0, false},
            {"fogra_P_bpc_adobe_R_ink", image, source, {fogra('P', true), adobeRgb('R')}, "ink"},
            {"printer_P_fogra_R_printer_S_bpc", image, source, {printer('P'), fogra('R'), printer('S', true)}, "none"},
        };
        chains.insert(chains.end(), more.begin(), more.end());
    }
    for (Case& c : chains) {
        c.name = tag + "_" + c.name;
        cases->push_back(c);
    }
}

// Mean and maximum ΔE00 allowed, a little above what was measured (sanitizer build, LittleCMS
// 2.14): a 17-point table (33 for Lab) against exact evaluation, and black points estimated
// each in its own way.
struct Bounds {
    double mean, max;
};

const std::map<std::string, Bounds>& bounds()
{
    static const std::map<std::string, Bounds> b = {
#include "proof_vs_lcms_bounds.inc"
    };
    return b;
}

std::vector<Case> allCases()
{
    std::vector<Case> cases;
    addChains(&cases, "rgb8_default", corpus("rgb8-none-mm.tif"), "", 2);
    addChains(&cases, "cmyk8", corpus("cmyk8-none.tif"), "", 2);
    addChains(&cases, "lab8", corpus("lab8.tif"), "", 0);
    addChains(&cases, "lab16", corpus("lab16-lzw.tif"), "", 0);
    addChains(&cases, "rgb8_icc", corpus("rgb8-icc.tif"), "", 1);
    addChains(&cases, "rgb16", corpus("rgb16-lzw-ii.tif"), kSRGB, 1);
    addChains(&cases, "cmyk16", corpus("cmyk16-lzw-mm.tif"), kFogra, 1);
    addChains(&cases, "jpeg_icc", corpus("ycbcr-icc.jpg"), "", 1);
    addChains(&cases, "jpeg_cmyk_adobe", corpus("cmyk-adobe.jpg"), "", 1);
    cases.push_back({"rgb16_fogra_R_gs_P_bpc_paper", corpus("rgb16-lzw-ii.tif"), kSRGB, {fogra('R'), gsCmyk('P', true)}, "paper"});
    cases.push_back({"cmyk16_printer_P_ink", corpus("cmyk16-lzw-mm.tif"), kFogra, {printer('P')}, "ink"});
    cases.push_back({"lab8_printer_P_bpc", corpus("lab8.tif"), "", {printer('P', true)}, "none"});
    cases.push_back({"lab16_printer_S_paper", corpus("lab16-lzw.tif"), "", {printer('S')}, "paper"});
    // A source profile of its own intent (saturation) chosen in place of the default one.
    cases.push_back({"rgb8_source_printer_fogra_R", corpus("rgb8-none-mm.tif"), kTestPrinter, {fogra('R')}, "none"});
    cases.push_back({"rgb8_source_printer_no_consistency_fogra_R", corpus("rgb8-none-mm.tif"), kTestPrinter,
                     {fogra('R')}, "none", 0, 0, false});
    // Absolute colorimetric into and out of printers, from a printer source: both sides scale
    // by the printers' own paper whites.
    cases.push_back({"cmyk8_gs_A", corpus("cmyk8-none.tif"), "", {gsCmyk('A')}, "none"});
    cases.push_back({"cmyk8_printer_A", corpus("cmyk8-none.tif"), "", {printer('A')}, "none"});
    cases.push_back({"cmyk8_printer_A_fogra_A_paper", corpus("cmyk8-none.tif"), "", {printer('A'), fogra('A')}, "paper"});
    // Paper white simulated with no proof profile: the last profile is the source (or, for Lab,
    // the display), a version 2 display profile that names D65 as its media white; both engines
    // render it relative to D50, so the picture does not change.
    cases.push_back({"rgb8_default_paper_alone", corpus("rgb8-none-mm.tif"), "", {}, "paper"});
    cases.push_back({"lab8_paper_alone", corpus("lab8.tif"), "", {}, "paper"});
    cases.push_back({"chart_none", kChart, "", {}, "none"});
    cases.push_back({"chart_fogra_P_bpc", kChart, "", {fogra('P', true)}, "none"});
    for (Case& c : cases) {
        const auto b = bounds().find(c.name);
        if (b != bounds().end()) {
            c.meanBound = b->second.mean;
            c.maxBound = b->second.max;
        }
    }
    return cases;
}

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class ProofVsLcms : public ::testing::TestWithParam<Case> {};

TEST_P(ProofVsLcms, MatchesLittleCMS)
{
    const Case& c = GetParam();
    if (!std::filesystem::exists(c.image))
        GTEST_SKIP() << c.image << " is not there";
    for (const ProofArg& p : c.proofs)
        if (!std::filesystem::exists(profilePath(p.profile)))
            GTEST_SKIP() << p.profile << " is not installed";

    TempDir dir;
    const std::string out = (dir / "proof.png").string();
    const RunResult run = runTool(toolArgs(c, out), dir);
    ASSERT_EQ(run.status, 0) << run.err;

    Png png;
    ASSERT_TRUE(readPng(out, &png));
    ASSERT_EQ(png.colorType, PNG_COLOR_TYPE_RGB);
    ASSERT_EQ(png.bitDepth, 8);
    Decoded image;
    ASSERT_TRUE(decodeImage(c.image, &image)) << c.image;
    ASSERT_EQ(png.width, image.width);
    ASSERT_EQ(png.height, image.height);
    ASSERT_TRUE(png.hasIccp);
    EXPECT_TRUE(png.iccp == readFile(kSRGB)) << "the iCCP chunk is not the display profile";

    ProfileHandle display = openProfile(kSRGB);
    ASSERT_TRUE(display);
    std::string error;
    const std::vector<unsigned char> reference = referenceProof(image, c, display.get(), &error);
    ASSERT_FALSE(reference.empty()) << error;

    const std::vector<cmsCIELab> ours = displayLab(png.rgb, display.get()), theirs = displayLab(reference, display.get());
    ASSERT_EQ(ours.size(), theirs.size());
    double sum = 0, worst = 0;
    std::size_t at = 0;
    for (std::size_t i = 0; i < ours.size(); ++i) {
        const double e = cmsCIE2000DeltaE(&ours[i], &theirs[i], 1, 1, 1);
        sum += e;
        if (e > worst) {
            worst = e;
            at = i;
        }
    }
    const double mean = sum / static_cast<double>(ours.size());
    std::ostringstream line;
    line.setf(std::ios::fixed);
    line.precision(3);
    line << "dE00 " << c.name << ": mean " << mean << " max " << worst << " at (" << at % image.width << ", "
         << at / image.width << ") ours " << int(png.rgb[3 * at]) << "," << int(png.rgb[3 * at + 1]) << ","
         << int(png.rgb[3 * at + 2]) << " lcms " << int(reference[3 * at]) << "," << int(reference[3 * at + 1]) << ","
         << int(reference[3 * at + 2]);
    std::cout << line.str() << std::endl;
    RecordProperty("dE00_mean", std::to_string(mean));
    RecordProperty("dE00_max", std::to_string(worst));
    ASSERT_GT(c.meanBound, 0) << "no bounds for " << c.name;
    EXPECT_LE(mean, c.meanBound);
    EXPECT_LE(worst, c.maxBound);
}

INSTANTIATE_TEST_SUITE_P(Chains, ProofVsLcms, ::testing::ValuesIn(allCases()),
                         [](const ::testing::TestParamInfo<Case>& i) { return i.param.name; });

} // namespace
