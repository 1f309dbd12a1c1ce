// Accuracy of the engine against LittleCMS (its unoptimised 16-bit transforms as the reference):
// single profiles in both directions for every intent, and whole soft-proofing chains built the
// way a proof builds its link. Each case prints mean, 95th percentile and maximum CIEDE2000.
//
// Three habits of LittleCMS are accounted for so that they are not mistaken for faults:
//  - it forces black point compensation into version 4 profiles at perceptual and saturation
//    intent: our side then compensates too (the single-profile cases with LittleCMS's own
//    detected black point, the chains with ours);
//  - it takes a version 2 display profile's white as D50: absolute colorimetry of such profiles
//    is not compared (our absolute path is checked on printer profiles, whose paper white both
//    use);
//  - in a multiprofile transform the intent of a step belongs to the profile converting out of
//    the PCS: a last proof step out at absolute colorimetry gets an identity Lab step after it.
#include "engine/color_space.h"
#include "icc/profile.h"

#include <gtest/gtest.h>
#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace vemora;
using namespace vemora::cms::vemICC;
using namespace vemora::cms::vemICC::nsp_VCE;

namespace {

struct Lab {
    double L, a, b;
};

// CIEDE2000 (Sharma, Wu and Dalal 2005).
double deltaE2000(const Lab& x, const Lab& y)
{
    const double pi = 3.14159265358979323846;
    const double c1 = std::hypot(x.a, x.b), c2 = std::hypot(y.a, y.b);
    const double cm = (c1 + c2) / 2, g = 0.5 * (1 - std::sqrt(std::pow(cm, 7) / (std::pow(cm, 7) + std::pow(25.0, 7))));
    const double a1 = (1 + g) * x.a, a2 = (1 + g) * y.a;
    const double C1 = std::hypot(a1, x.b), C2 = std::hypot(a2, y.b);
    auto hue = [&](double b, double a) {
        if (a == 0 && b == 0)
            return 0.0;
        double h = std::atan2(b, a) * 180 / pi;
        return h < 0 ? h + 360 : h;
    };
    const double h1 = hue(x.b, a1), h2 = hue(y.b, a2);
    const double dL = y.L - x.L, dC = C2 - C1;
    double dh = 0;
    if (C1 * C2 != 0) {
        dh = h2 - h1;
        if (dh > 180)
            dh -= 360;
        else if (dh < -180)
            dh += 360;
    }
    const double dH = 2 * std::sqrt(C1 * C2) * std::sin(dh / 2 * pi / 180);
    const double Lm = (x.L + y.L) / 2, Cm = (C1 + C2) / 2;
    double hm = h1 + h2;
    if (C1 * C2 != 0) {
        if (std::fabs(h1 - h2) <= 180)
            hm = (h1 + h2) / 2;
        else
            hm = (h1 + h2 + (h1 + h2 < 360 ? 360 : -360)) / 2;
    }
    const double t = 1 - 0.17 * std::cos((hm - 30) * pi / 180) + 0.24 * std::cos(2 * hm * pi / 180) +
                     0.32 * std::cos((3 * hm + 6) * pi / 180) - 0.20 * std::cos((4 * hm - 63) * pi / 180);
    const double dTheta = 30 * std::exp(-std::pow((hm - 275) / 25, 2));
    const double rc = 2 * std::sqrt(std::pow(Cm, 7) / (std::pow(Cm, 7) + std::pow(25.0, 7)));
    const double sl = 1 + 0.015 * std::pow(Lm - 50, 2) / std::sqrt(20 + std::pow(Lm - 50, 2));
    const double sc = 1 + 0.045 * Cm, sh = 1 + 0.015 * Cm * t;
    const double rt = -std::sin(2 * dTheta * pi / 180) * rc;
    return std::sqrt(std::pow(dL / sl, 2) + std::pow(dC / sc, 2) + std::pow(dH / sh, 2) + rt * (dC / sc) * (dH / sh));
}

Lab xyzToLab(double X, double Y, double Z)
{
    auto f = [](double t) { return t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116; };
    const double fx = f(X / 0.9642), fy = f(Y), fz = f(Z / 0.8249);
    return Lab{116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

Lab engineLab(const VCEColor& c)
{
    if (c.colorSpace == kXYZSpace)
        return xyzToLab(c.channel[0] / 65536.0, c.channel[1] / 65536.0, c.channel[2] / 65536.0);
    return Lab{c.channel[0] * 100.0 / 65535, (c.channel[1] - 32768) / 256.0, (c.channel[2] - 32768) / 256.0};
}

VCEColor engineFromLab(const Lab& lab)
{
    VCEColor c{};
    c.colorSpace = kLabSpace;
    c.channel[0] = static_cast<int32_t>(std::clamp(std::lround(lab.L * 655.35), 0L, 65535L));
    c.channel[1] = static_cast<int32_t>(std::clamp(std::lround(lab.a * 256 + 32768), 0L, 65535L));
    c.channel[2] = static_cast<int32_t>(std::clamp(std::lround(lab.b * 256 + 32768), 0L, 65535L));
    return c;
}

struct Stats {
    double mean = 0, p95 = 0, max = 0;
};

Stats summarise(std::vector<double> d, const std::string& name)
{
    std::sort(d.begin(), d.end());
    Stats s;
    for (double v : d)
        s.mean += v;
    s.mean /= static_cast<double>(d.size());
    s.p95 = d[static_cast<std::size_t>(0.95 * static_cast<double>(d.size() - 1))];
    s.max = d.back();
    std::printf("%-58s mean %6.3f  p95 %6.3f  max %6.3f  (%zu colours)\n", name.c_str(), s.mean, s.p95, s.max, d.size());
    return s;
}

struct Profile {
    std::string name;
    std::string path;
    cmsHPROFILE lcms = nullptr;
    ICCProfile parsed;
    PointerHolder<BaseProfile> engine;
    int channels = 3;
    bool v4 = false;
    bool display = false;
    cmsUInt32Number deviceFormat = TYPE_RGB_16;
};

std::string source(const char* rel)
{
    return std::string(VERIGLOW_SOURCE_DIR) + "/" + rel;
}

Profile* load(const std::string& name, const std::string& path)
{
    auto* p = new Profile;
    p->name = name;
    p->path = path;
    p->lcms = cmsOpenProfileFromFile(path.c_str(), "r");
    EXPECT_NE(p->lcms, nullptr) << path;
    FSRef ref;
    EXPECT_TRUE(nsp_MacCarbonFile::getFSRefByPosixPath(&ref, path));
    dxStream s;
    EXPECT_TRUE(s.open(FileLocation(ref), dxStream::readPermission, false));
    p->parsed.read(s);
    p->engine = getProcessProfile(p->parsed);
    EXPECT_FALSE(p->engine.isNull()) << path;
    p->channels = p->parsed.header.getDCSColor() == colorModeCMYK ? 4 : 3;
    p->deviceFormat = p->channels == 4 ? TYPE_CMYK_16 : TYPE_RGB_16;
    p->v4 = cmsGetEncodedICCversion(p->lcms) >= 0x4000000;
    p->display = cmsGetDeviceClass(p->lcms) == cmsSigDisplayClass;
    return p;
}

// Device colours on a regular grid.
std::vector<std::vector<uint16_t>> deviceGrid(int channels)
{
    const int steps = channels == 4 ? 6 : 9;
    std::vector<std::vector<uint16_t>> out;
    const int total = static_cast<int>(std::pow(steps, channels));
    for (int i = 0; i < total; ++i) {
        std::vector<uint16_t> v(static_cast<std::size_t>(channels));
        int rest = i;
        for (int k = channels - 1; k >= 0; --k) {
            v[static_cast<std::size_t>(k)] = static_cast<uint16_t>((rest % steps) * 65535 / (steps - 1));
            rest /= steps;
        }
        out.push_back(v);
    }
    return out;
}

class Accuracy : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        allocatePow0p33Table();
        cmsSetAdaptationState(1.0);
        lab2 = cmsCreateLab2Profile(nullptr);
        srgbV2 = load("sRGB v2 'curv'", source("resources/profiles/Veriglow sRGB.icc"));
        srgbV4 = load("sRGB v4 'para'", "/usr/share/color/icc/colord/sRGB.icc");
        adobe = load("Adobe RGB compatible v2", "/usr/share/color/icc/compatibleWithAdobeRGB1998.icc");
        pressV2 = load("FOGRA39 v2 'mft2' Lab", source("resources/profiles/Veriglow Coated FOGRA39.icc"));
        pressV4 = load("FOGRA39 v4 'mAB '/'mBA ' Lab", source("tests/icc/profiles/fogra39-v4.icc"));
        xyzPress = load("FOGRA29 v2 'mft2' XYZ", source("tests/icc/profiles/fogra29-xyz-v2.icc"));
        xyzPressV4 = load("FOGRA29 v4 XYZ", source("tests/icc/profiles/fogra29-xyz-v4.icc"));
    }
    static void TearDownTestSuite()
    {
        for (Profile* p : {srgbV2, srgbV4, adobe, pressV2, pressV4, xyzPress, xyzPressV4}) {
            cmsCloseProfile(p->lcms);
            delete p;
        }
        cmsCloseProfile(lab2);
    }

    // LittleCMS's forced compensation of a version 4 profile at perceptual or saturation
    // intent, rebuilt with our compensation from its detected black points.
    static PointerHolder<BlackPointCompensation> forcedBpc(const Profile& p, Intent intent, bool output)
    {
        if (!p.v4 || (intent != 0 && intent != 2))
            return PointerHolder<BlackPointCompensation>();
        cmsCIEXYZ black;
        if (output)
            cmsDetectDestinationBlackPoint(&black, p.lcms, intent, 0);
        else
            cmsDetectBlackPoint(&black, p.lcms, intent, 0);
        const double zero[3] = {0, 0, 0}, b[3] = {black.X, black.Y, black.Z};
        PointerHolder<BlackPointCompensation> bpc(new BlackPointCompensation);
        output ? bpc->init(zero, b) : bpc->init(b, zero);
        return bpc;
    }

    // Device to PCS: our profile evaluated exactly, LittleCMS into Lab.
    static Stats toPCS(Profile& p, Intent intent)
    {
        cmsHTRANSFORM t = cmsCreateTransform(p.lcms, p.deviceFormat, lab2, TYPE_Lab_DBL, intent,
                                             cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
        EXPECT_NE(t, nullptr);
        const auto bpc = forcedBpc(p, intent, false);
        std::vector<double> d;
        for (const auto& v : deviceGrid(p.channels)) {
            cmsCIELab ref;
            cmsDoTransform(t, v.data(), &ref, 1);
            VCEColor c{};
            c.colorSpace = p.channels == 4 ? kCMYKSpace : kRGBSpace;
            for (int k = 0; k < p.channels; ++k)
                c.channel[k] = v[static_cast<std::size_t>(k)];
            p.engine->setIntent(intent);
            p.engine->match(&c);
            if (!bpc.isNull()) {
                if (c.colorSpace == kLabSpace)
                    VCELab_to_VCEXYZ(c, &c);
                bpc->apply(&c);
            }
            d.push_back(deltaE2000(Lab{ref.L, ref.a, ref.b}, engineLab(c)));
        }
        cmsDeleteTransform(t);
        return summarise(d, p.name + " device to PCS, intent " + std::to_string(intent));
    }

    // Device colours compared in Lab through the profile's relative colorimetric table.
    static Lab deviceLab(const Profile& p, const uint16_t* v)
    {
        static thread_local cmsHTRANSFORM cached = nullptr;
        static thread_local const Profile* cachedFor = nullptr;
        if (cachedFor != &p) {
            if (cached)
                cmsDeleteTransform(cached);
            cached = cmsCreateTransform(p.lcms, p.deviceFormat, lab2, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC,
                                        cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
            cachedFor = &p;
        }
        cmsCIELab lab;
        cmsDoTransform(cached, v, &lab, 1);
        return Lab{lab.L, lab.a, lab.b};
    }

    // The colours the device can make, as Lab for the intent: the inputs of PCS to device
    // (outside the gamut each engine clips its own way, which says nothing about accuracy).
    static std::vector<Lab> gamutGrid(const Profile& p, Intent intent)
    {
        cmsHTRANSFORM t = cmsCreateTransform(p.lcms, p.deviceFormat, lab2, TYPE_Lab_DBL, intent,
                                             cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
        std::vector<Lab> out;
        for (const auto& v : deviceGrid(p.channels)) {
            cmsCIELab lab;
            cmsDoTransform(t, v.data(), &lab, 1);
            out.push_back(Lab{lab.L, lab.a, lab.b});
        }
        cmsDeleteTransform(t);
        return out;
    }

    // PCS to device: Lab in, device values out, both judged in Lab.
    static Stats toDevice(Profile& p, Intent intent)
    {
        cmsHTRANSFORM t = cmsCreateTransform(lab2, TYPE_Lab_DBL, p.lcms, p.deviceFormat, intent,
                                             cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
        EXPECT_NE(t, nullptr);
        const auto bpc = forcedBpc(p, intent, true);
        std::vector<double> d;
        for (const Lab& lab : gamutGrid(p, intent)) {
            cmsCIELab in{lab.L, lab.a, lab.b};
            uint16_t ref[4] = {};
            cmsDoTransform(t, &in, ref, 1);
            VCEColor c = engineFromLab(lab);
            if (!bpc.isNull()) {
                VCELab_to_VCEXYZ(c, &c);
                bpc->apply(&c);
            }
            p.engine->setIntent(intent);
            p.engine->match(&c);
            uint16_t ours[4] = {};
            for (int k = 0; k < p.channels; ++k)
                ours[k] = static_cast<uint16_t>(c.channel[k]);
            d.push_back(deltaE2000(deviceLab(p, ref), deviceLab(p, ours)));
        }
        cmsDeleteTransform(t);
        return summarise(d, p.name + " PCS to device, intent " + std::to_string(intent));
    }

    struct ChainCase {
        Profile* source;
        Intent sourceIntent;
        Profile* printer;
        Intent in;
        bool bpc;
        int simulate; // 0 none, 1 black ink, 2 paper white and black ink
    };

    // The proof link: source out, printer in (with its compensation), printer out (relative, or
    // absolute when simulating paper), display in at relative colorimetry with a compensation
    // from the printer when nothing is simulated. Compared as displayed (sRGB) colours.
    static Stats proofChain(const ChainCase& k, Profile& display)
    {
        ColorSpace::Chain chain;
        auto use = [&](Profile* p, Intent i, PointerHolder<BlackPointCompensation> bpc) {
            ColorSpace::Element e;
            e.first = p->engine;
            e.second.intent = i;
            e.second.bpc = bpc;
            chain.push_back(e);
        };
        const bool forced = k.printer->v4 && (k.in == 0 || k.in == 2);
        PointerHolder<BlackPointCompensation> inBpc;
        if (k.bpc || forced) {
            inBpc.allocate(new BlackPointCompensation, true);
            inBpc->init(k.source->engine.get(), k.sourceIntent, k.printer->engine.get(), k.in);
        }
        const Intent last = k.simulate == 2 ? 3 : 1;
        use(k.source, k.sourceIntent, PointerHolder<BlackPointCompensation>());
        use(k.printer, k.in, inBpc);
        use(k.printer, last, PointerHolder<BlackPointCompensation>());
        PointerHolder<BlackPointCompensation> displayBpc;
        if (k.simulate == 0) {
            displayBpc.allocate(new BlackPointCompensation, true);
            displayBpc->init(k.printer->engine.get(), 1, display.engine.get(), 1);
        }
        use(&display, 1, displayBpc);
        ColorSpace link;
        EXPECT_TRUE(link.setup(chain, k.source->channels == 4 ? colorModeCMYK : colorModeRGB, true, 4));

        std::vector<cmsHPROFILE> profiles{k.source->lcms, k.printer->lcms, k.printer->lcms};
        std::vector<cmsUInt32Number> intents{static_cast<cmsUInt32Number>(k.sourceIntent), static_cast<cmsUInt32Number>(k.in),
                                                static_cast<cmsUInt32Number>(last)};
        std::vector<cmsBool> bpcs{FALSE, k.bpc ? TRUE : FALSE, FALSE};
        if (last == 3) {
            profiles.push_back(lab2);
            intents.push_back(3);
            bpcs.push_back(FALSE);
        }
        profiles.push_back(display.lcms);
        intents.push_back(1);
        bpcs.push_back(k.simulate == 0 ? TRUE : FALSE);
        std::vector<cmsFloat64Number> adaptation(profiles.size(), 1.0);
        cmsHTRANSFORM t = cmsCreateExtendedTransform(
            nullptr, static_cast<cmsUInt32Number>(profiles.size()), profiles.data(), bpcs.data(), intents.data(),
            adaptation.data(), nullptr, 0, k.source->deviceFormat, display.deviceFormat,
            cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
        EXPECT_NE(t, nullptr);
        std::vector<double> d;
        for (const auto& v : deviceGrid(k.source->channels)) {
            uint16_t ref[3];
            cmsDoTransform(t, v.data(), ref, 1);
            VCEColor c{};
            for (int i = 0; i < k.source->channels; ++i)
                c.channel[i] = v[static_cast<std::size_t>(i)];
            link.match(&c);
            const uint16_t ours[3] = {static_cast<uint16_t>(c.channel[0]), static_cast<uint16_t>(c.channel[1]),
                                      static_cast<uint16_t>(c.channel[2])};
            d.push_back(deltaE2000(deviceLab(display, ref), deviceLab(display, ours)));
        }
        cmsDeleteTransform(t);
        char name[160];
        std::snprintf(name, sizeof name, "proof %s > %s in %lu%s, sim %d", k.source->name.c_str(),
                      k.printer->name.c_str(), k.in, k.bpc ? " bpc" : "", k.simulate);
        return summarise(d, name);
    }

    static inline cmsHPROFILE lab2 = nullptr;
    static inline Profile *srgbV2, *srgbV4, *adobe, *pressV2, *pressV4, *xyzPress, *xyzPressV4;
};

// Bounds are what was measured, with a little room. What remains comes from the integer arithmetic
// (truncating s15.16 products, 16-bit values throughout), from tables sampled at 4096 entries
// for every LUT curve, and above all from interpolation: we interpolate multilinearly,
// LittleCMS tetrahedrally, and in a coarse grid (5 points an axis in the small test profiles'
// AToB tables, 9 in their BToA tables) the two differ by up to a few units of ΔE inside the
// cells; in an XYZ-based grid nearly all dark colours fall into the first cells, where the
// difference is largest. The version 4 cases at perceptual and saturation intent also carry
// the difference between LittleCMS's black point compensation formula and ours.
TEST_F(Accuracy, MatrixProfilesBothWays)
{
    // Matrix/TRC profiles are near exact: 32768-entry tone tables and s15.16 matrices.
    for (Profile* p : {srgbV2, srgbV4, adobe})
        for (Intent i : {0ul, 1ul, 2ul, 3ul}) {
            if (i == 3 && p->display && !p->v4)
                continue; // a version 2 display white is D50 to LittleCMS
            const Stats a = toPCS(*p, i);
            EXPECT_LT(a.max, 0.07) << p->name;
            const Stats b = toDevice(*p, i);
            EXPECT_LT(b.p95, 0.05) << p->name;
            EXPECT_LT(b.max, 0.3) << p->name;
        }
}

TEST_F(Accuracy, TableProfilesBothWays)
{
    struct Bound {
        Profile* profile;
        double pcsMean, pcsMax, deviceMean, deviceMax;
    };
    const Bound bounds[] = {
        {pressV2, 0.12, 0.6, 0.2, 0.45},   // 'mft2' with a fine grid: close
        {pressV4, 1.2, 3.0, 0.2, 0.4},     // coarse 'mAB '/'mBA ', forced compensation
        {xyzPress, 0.5, 2.2, 2.6, 8.5},    // coarse XYZ grid
        {xyzPressV4, 0.9, 2.3, 2.7, 8.5},
    };
    for (const Bound& b : bounds)
        for (Intent i : {0ul, 1ul, 2ul, 3ul}) {
            const Stats a = toPCS(*b.profile, i);
            EXPECT_LT(a.mean, b.pcsMean) << b.profile->name << " intent " << i;
            EXPECT_LT(a.max, b.pcsMax) << b.profile->name << " intent " << i;
            const Stats d = toDevice(*b.profile, i);
            EXPECT_LT(d.mean, b.deviceMean) << b.profile->name << " intent " << i;
            EXPECT_LT(d.max, b.deviceMax) << b.profile->name << " intent " << i;
        }
}

TEST_F(Accuracy, SoftProofChains)
{
    struct Case {
        ChainCase chain;
        double mean, max;
    };
    const Case cases[] = {
        {{srgbV2, 0, pressV2, 1, false, 0}, 0.25, 0.7}, {{srgbV2, 0, pressV2, 1, true, 0}, 0.25, 0.8},
        {{srgbV2, 0, pressV2, 0, false, 0}, 0.25, 0.7}, {{srgbV2, 0, pressV2, 1, false, 1}, 0.25, 0.7},
        {{srgbV2, 0, pressV2, 1, false, 2}, 0.25, 0.7}, {{srgbV4, 1, pressV4, 1, true, 0}, 0.45, 2.5},
        {{srgbV4, 1, pressV4, 0, false, 0}, 0.7, 4.8},  {{adobe, 0, xyzPress, 1, false, 2}, 1.4, 8.5},
        {{pressV2, 1, pressV4, 1, true, 0}, 0.75, 3.2}, {{pressV4, 0, xyzPressV4, 1, false, 2}, 2.3, 9.5},
    };
    for (const auto& k : cases) {
        const Stats s = proofChain(k.chain, *srgbV2);
        EXPECT_LT(s.mean, k.mean);
        EXPECT_LT(s.max, k.max);
    }
}

} // namespace
