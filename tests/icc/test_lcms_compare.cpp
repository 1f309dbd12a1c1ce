// Every real profile on the machine (icc-profiles-free, colord-data, Ghostscript's profiles of
// libgs-common, Argyll's reference profiles) and the generated press profiles of
// tests/icc/profiles are read with ICCProfile::read and compared with what LittleCMS reads from
// the same bytes. Any difference fails, except where noted at the comparison.
#include "icc/profile.h"
#include "icc/types/basic_types.h"
#include "icc/types/curve_types.h"
#include "icc/types/lut_types.h"
#include "icc_test_support.h"
#include "profile_corpus.h"

#include <lcms2.h>
#include <lcms2_plugin.h>

#include <algorithm>
#include <cwchar>
#include <map>

using namespace vemora;
using namespace vemora::cms;
using namespace vemora::cms::vemICC;
using namespace icctest;

namespace fs = std::filesystem;

namespace {

struct Lcms {
    explicit Lcms(const ByteVec& bytes)
        : h(cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size())))
    {
    }
    ~Lcms()
    {
        if (h)
            cmsCloseProfile(h);
    }
    cmsHPROFILE h;
};

ByteVec rawTag(cmsHPROFILE h, cmsTagSignature sig)
{
    const cmsUInt32Number n = cmsReadRawTag(h, sig, nullptr, 0);
    ByteVec raw(n);
    if (n)
        cmsReadRawTag(h, sig, raw.data(), n);
    return raw;
}

// LittleCMS curve kinds: parametric type 1 for 'curv' with 0 or 1 entries (gamma 1 or the
// gamma), type 0 with the table for a sampled 'curv', function + 1 for 'para'.
void compareCurve(const ICCType* ours, const cmsToneCurve* theirs, const std::string& where)
{
    SCOPED_TRACE(where);
    ASSERT_NE(theirs, nullptr);
    if (const auto* c = dynamic_cast<const CurveType*>(ours)) {
        if (c->kind == CurveType::kindTable) {
            EXPECT_EQ(cmsGetToneCurveParametricType(theirs), 0);
            ASSERT_EQ(cmsGetToneCurveEstimatedTableEntries(theirs), c->points.values.size());
            const cmsUInt16Number* t = cmsGetToneCurveEstimatedTable(theirs);
            for (std::size_t i = 0; i < c->points.values.size(); ++i)
                ASSERT_EQ(static_cast<long>(std::lround(c->points.values[i] * 65535.0)), t[i]) << i;
        } else {
            EXPECT_EQ(cmsGetToneCurveParametricType(theirs), 1);
            EXPECT_DOUBLE_EQ(cmsGetToneCurveParams(theirs)[0], c->gamma);
        }
    } else if (const auto* p = dynamic_cast<const ParameterCurveType*>(ours)) {
        EXPECT_EQ(cmsGetToneCurveParametricType(theirs), p->function + 1);
        const cmsFloat64Number* params = cmsGetToneCurveParams(theirs);
        for (std::size_t i = 0; i < p->parameters.size(); ++i)
            EXPECT_DOUBLE_EQ(params[i], p->parameters[i]) << i;
    } else {
        ADD_FAILURE() << "not a curve type";
    }
}

void compareCurveStage(const cmsStage* stage, const std::vector<const ICCType*>& curves, const std::string& where)
{
    ASSERT_EQ(cmsStageType(stage), cmsSigCurveSetElemType) << where;
    const auto* data = static_cast<const _cmsStageToneCurvesData*>(cmsStageData(stage));
    ASSERT_EQ(data->nCurves, curves.size()) << where;
    for (std::size_t i = 0; i < curves.size(); ++i)
        compareCurve(curves[i], data->TheCurves[i], where + " curve " + std::to_string(i));
}

void compareTables(const cmsStage* stage, const std::vector<CurveTable>& tables, bool eight, const std::string& where)
{
    ASSERT_EQ(cmsStageType(stage), cmsSigCurveSetElemType) << where;
    const auto* data = static_cast<const _cmsStageToneCurvesData*>(cmsStageData(stage));
    ASSERT_EQ(data->nCurves, tables.size()) << where;
    for (std::size_t c = 0; c < tables.size(); ++c) {
        ASSERT_EQ(cmsGetToneCurveEstimatedTableEntries(data->TheCurves[c]), tables[c].values.size()) << where;
        const cmsUInt16Number* t = cmsGetToneCurveEstimatedTable(data->TheCurves[c]);
        for (std::size_t i = 0; i < tables[c].values.size(); ++i) {
            // LittleCMS widens 8-bit tables by 257.
            const double scale = eight ? 255.0 : 65535.0;
            const long v = std::lround(tables[c].values[i] * scale) * (eight ? 257 : 1);
            ASSERT_EQ(v, t[i]) << where << " table " << c << " entry " << i;
        }
    }
}

void compareCLUT(const cmsStage* stage, const dxICC_CLUT& clut, const std::string& where)
{
    ASSERT_EQ(cmsStageType(stage), cmsSigCLutElemType) << where;
    EXPECT_EQ(cmsStageInputChannels(stage), static_cast<cmsUInt32Number>(clut.getConnectChannelCount()));
    EXPECT_EQ(cmsStageOutputChannels(stage), static_cast<cmsUInt32Number>(clut.getStoreChannelCount()));
    const auto* data = static_cast<const _cmsStageCLutData*>(cmsStageData(stage));
    ASSERT_FALSE(data->HasFloatValues);
    for (long i = 0; i < clut.getConnectChannelCount(); ++i)
        EXPECT_EQ(data->Params->nSamples[i], clut.getGridCount(static_cast<unsigned long>(i))) << where << " axis " << i;
    const unsigned long entries = clut.pointCount * static_cast<unsigned long>(clut.getStoreChannelCount());
    ASSERT_EQ(data->nEntries, entries) << where;
    for (unsigned long i = 0; i < entries; ++i) {
        unsigned long v;
        if (clut.is8Bits()) {
            v = clut.data[i] * 257UL;
        } else {
            uint16_t u;
            std::memcpy(&u, &clut.data[2 * i], 2);
            v = u;
        }
        ASSERT_EQ(v, data->Tab.T[i]) << where << " entry " << i;
    }
}

bool isIdentity(const MatrixPack& m)
{
    for (int i = 0; i < 9; ++i)
        if (std::fabs(m.matrix[i] - (i % 4 == 0 ? 1.0 : 0.0)) >= 1.0 / 65535.0)
            return false;
    return true;
}

std::vector<const ICCType*> curvesOf(const CurveSetHolder& h)
{
    std::vector<const ICCType*> v;
    for (const CurveAbstractTag& c : *h)
        v.push_back(c.getImplement());
    return v;
}

std::vector<const cmsStage*> stagesOf(const cmsPipeline* p)
{
    std::vector<const cmsStage*> v;
    for (const cmsStage* s = cmsPipelineGetPtrToFirstStage(p); s; s = cmsStageNext(s))
        v.push_back(s);
    return v;
}

void compareLut(const ICCType* ours, const cmsPipeline* theirs, const std::string& where)
{
    SCOPED_TRACE(where);
    ASSERT_NE(theirs, nullptr);
    const std::vector<const cmsStage*> stages = stagesOf(theirs);
    if (const auto* lut = dynamic_cast<const LutType*>(ours)) {
        EXPECT_EQ(cmsPipelineInputChannels(theirs), static_cast<cmsUInt32Number>(lut->inputChannels));
        EXPECT_EQ(cmsPipelineOutputChannels(theirs), static_cast<cmsUInt32Number>(lut->outputChannels));
        // LittleCMS leaves out an identity matrix and every matrix on other than 3 inputs.
        std::size_t k = 0;
        if (lut->inputChannels == 3 && !isIdentity(lut->matrix)) {
            ASSERT_EQ(cmsStageType(stages.at(k)), cmsSigMatrixElemType);
            const auto* m = static_cast<const _cmsStageMatrixData*>(cmsStageData(stages[k]));
            for (int i = 0; i < 9; ++i)
                EXPECT_DOUBLE_EQ(m->Double[i], lut->matrix.matrix[i]);
            ++k;
        }
        ASSERT_EQ(stages.size(), k + 3);
        compareTables(stages[k], lut->inputTables, lut->is8Bits(), "input tables");
        compareCLUT(stages[k + 1], *lut->clut, "colour table");
        compareTables(stages[k + 2], lut->outputTables, lut->is8Bits(), "output tables");
        return;
    }
    const auto* ab = dynamic_cast<const LutABType*>(ours);
    ASSERT_NE(ab, nullptr);
    EXPECT_EQ(cmsPipelineInputChannels(theirs), static_cast<cmsUInt32Number>(ab->inputChannels));
    EXPECT_EQ(cmsPipelineOutputChannels(theirs), static_cast<cmsUInt32Number>(ab->outputChannels));
    // Processing order: 'mAB ' A, CLUT, M, matrix, B; 'mBA ' B, matrix, M, CLUT, A. The
    // input curves are A for 'mAB ' and B for 'mBA ', so both are input, [CLUT], [M, matrix]...
    std::vector<std::function<void(const cmsStage*)>> expected;
    auto curves = [&](const CurveSetHolder& h, const char* name) {
        if (!h.isNull())
            expected.push_back([&h, name](const cmsStage* s) { compareCurveStage(s, curvesOf(h), name); });
    };
    auto clut = [&] {
        if (!ab->clut.isNull())
            expected.push_back([ab](const cmsStage* s) { compareCLUT(s, *ab->clut, "colour table"); });
    };
    auto matrix = [&] {
        if (!ab->matrix.isNull())
            expected.push_back([ab](const cmsStage* s) {
                ASSERT_EQ(cmsStageType(s), cmsSigMatrixElemType);
                const auto* m = static_cast<const _cmsStageMatrixData*>(cmsStageData(s));
                for (int i = 0; i < 9; ++i)
                    EXPECT_DOUBLE_EQ(m->Double[i], ab->matrix->matrix[i]);
                // LittleCMS keeps offsets of the Lab/XYZ scale it works in, not the file's.
            });
    };
    curves(ab->inputCurves, "input curves");
    if (ab->isAtoB()) {
        clut();
        curves(ab->mCurves, "M curves");
        matrix();
    } else {
        matrix();
        curves(ab->mCurves, "M curves");
        clut();
    }
    curves(ab->outputCurves, "output curves");
    ASSERT_EQ(stages.size(), expected.size());
    for (std::size_t i = 0; i < stages.size(); ++i)
        expected[i](stages[i]);
}

std::string narrow(const BasicUniString<unsigned short>& s) { return s.toUTF8(); }

void compareText(const ICCType* ours, const cmsMLU* theirs, const std::string& where)
{
    SCOPED_TRACE(where);
    ASSERT_NE(theirs, nullptr);
    auto ascii = [&](const char* lang, const char* country) {
        const cmsUInt32Number n = cmsMLUgetASCII(theirs, lang, country, nullptr, 0);
        std::string s(n, '\0');
        cmsMLUgetASCII(theirs, lang, country, s.data(), n);
        return std::string(s.c_str());
    };
    if (const auto* t = dynamic_cast<const TextType*>(ours)) {
        EXPECT_EQ(ascii(cmsNoLanguage, cmsNoCountry), t->text.str());
    } else if (const auto* d = dynamic_cast<const TextDescriptionType*>(ours)) {
        // LittleCMS keeps the ASCII part of a 'desc' only.
        EXPECT_EQ(ascii(cmsNoLanguage, cmsNoCountry), d->getString().str());
    } else if (const auto* m = dynamic_cast<const MultiLocalizedUnicodeType*>(ours)) {
        ASSERT_EQ(cmsMLUtranslationsCount(theirs), m->getCount());
        std::map<std::pair<int, int>, int> seen;
        for (unsigned long i = 0; i < m->getCount(); ++i) {
            const MultiLocalizedUnicodeType::Name& n = m->getName(i);
            char lang[3], country[3];
            ASSERT_TRUE(cmsMLUtranslationsCodes(theirs, static_cast<cmsUInt32Number>(i), lang, country));
            EXPECT_EQ((static_cast<unsigned char>(lang[0]) << 8) | static_cast<unsigned char>(lang[1]), n.language);
            EXPECT_EQ((static_cast<unsigned char>(country[0]) << 8) | static_cast<unsigned char>(country[1]),
                      n.country);
            // Lookup by codes gives the first record with them; later duplicates are not reachable.
            if (seen[{n.language, n.country}]++)
                continue;
            const cmsUInt32Number bytes = cmsMLUgetWide(theirs, lang, country, nullptr, 0);
            std::vector<wchar_t> w(bytes / sizeof(wchar_t) + 1, 0);
            cmsMLUgetWide(theirs, lang, country, w.data(), bytes);
            std::vector<unsigned short> units;
            for (std::size_t k = 0; k < w.size() && w[k]; ++k)
                units.push_back(static_cast<unsigned short>(w[k]));
            // LittleCMS stops at an embedded zero unit.
            std::vector<unsigned short> mine = n.name.units();
            auto zero = std::find(mine.begin(), mine.end(), 0);
            mine.erase(zero, mine.end());
            EXPECT_EQ(units, mine) << narrow(n.name);
        }
    } else {
        ADD_FAILURE() << "not a text type";
    }
}

std::string sigText(unsigned long t)
{
    return std::string{static_cast<char>(t >> 24), static_cast<char>(t >> 16), static_cast<char>(t >> 8),
                       static_cast<char>(t)};
}

bool isTRC(unsigned long s)
{
    return s == fourcc("kTRC") || s == fourcc("rTRC") || s == fourcc("gTRC") || s == fourcc("bTRC");
}

bool isLutTag(unsigned long s)
{
    for (const char* t : {"A2B0", "A2B1", "A2B2", "B2A0", "B2A1", "B2A2", "gamt", "pre0", "pre1", "pre2"})
        if (s == fourcc(t))
            return true;
    return false;
}

struct Tally {
    std::map<std::string, int> compared;
};

void compareProfile(const fs::path& file, Tally* tally)
{
    const ByteVec bytes = fileBytes(file);
    ICCProfile ours;
    dxStream s = streamOf(bytes);
    testing::internal::CaptureStdout();
    bool read = true;
    try {
        ours.read(s);
    } catch (...) {
        read = false;
    }
    const std::string console = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(read) << console;
    EXPECT_EQ(console, "");
    Lcms peer(bytes);
    ASSERT_NE(peer.h, nullptr);
    cmsHPROFILE h = peer.h;

    // Header.
    const Header& hd = ours.header;
    EXPECT_EQ(hd.profileClass.get(), static_cast<unsigned long>(cmsGetDeviceClass(h)));
    EXPECT_EQ(hd.colorSpace.get(), static_cast<unsigned long>(cmsGetColorSpace(h)));
    EXPECT_EQ(hd.pcs.get(), static_cast<unsigned long>(cmsGetPCS(h)));
    // The header keeps the version field as stored; LittleCMS clears its reserved low 16 bits
    // (LCMSLABI.ICM has 0x020004B0 there).
    EXPECT_EQ(hd.version.get() & 0xFFFF0000UL, static_cast<unsigned long>(cmsGetEncodedICCversion(h)));
    EXPECT_EQ(hd.getDefaultIntent(), static_cast<unsigned long>(cmsGetHeaderRenderingIntent(h)));
    EXPECT_EQ(hd.flags.get(), static_cast<unsigned long>(cmsGetHeaderFlags(h)));
    EXPECT_EQ(hd.manufacturer.get(), static_cast<unsigned long>(cmsGetHeaderManufacturer(h)));
    EXPECT_EQ(hd.model.get(), static_cast<unsigned long>(cmsGetHeaderModel(h)));
    EXPECT_EQ(hd.creator.get(), static_cast<unsigned long>(cmsGetHeaderCreator(h)));
    cmsUInt64Number attributes = 0;
    cmsGetHeaderAttributes(h, &attributes);
    EXPECT_EQ((static_cast<cmsUInt64Number>(hd.attributes[0].get()) << 32) | hd.attributes[1].get(), attributes);
    cmsUInt8Number id[16];
    cmsGetHeaderProfileID(h, id);
    EXPECT_EQ(0, std::memcmp(id, hd.profileID, 16));
    struct tm when = {};
    if (cmsGetHeaderCreationDateTime(h, &when)) {
        EXPECT_EQ(hd.year, static_cast<unsigned long>(when.tm_year + 1900));
        EXPECT_EQ(hd.month, static_cast<unsigned long>(when.tm_mon + 1));
        EXPECT_EQ(hd.day, static_cast<unsigned long>(when.tm_mday));
        EXPECT_EQ(hd.seconds, static_cast<unsigned long>(when.tm_sec));
    }
    // LittleCMS has no accessor of the header illuminant: it is checked against the bytes.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(hd.illuminant[i], read_s15Fixed16Number(&bytes[68 + 4 * i]));

    // Tags in directory order.
    const cmsInt32Number count = cmsGetTagCount(h);
    ASSERT_EQ(static_cast<std::size_t>(count), ours.tags.size());
    for (cmsInt32Number i = 0; i < count; ++i) {
        const cmsTagSignature sig = cmsGetTagSignature(h, static_cast<cmsUInt32Number>(i));
        const Tag& tag = *ours.tags[static_cast<std::size_t>(i)];
        ASSERT_EQ(tag.getTagSignature().get(), static_cast<unsigned long>(sig)) << i;
        const ICCType* type = tag.getImplement();
        ASSERT_NE(type, nullptr);
        // The type signature (and, for types we keep raw, every byte) as LittleCMS has them. For
        // two entries with the same signature LittleCMS finds the first, as getTagById does.
        const Tag* first = ours.getTagById(tag.getTagSignature());
        const ByteVec raw = rawTag(h, sig);
        ASSERT_GE(raw.size(), 8u);
        EXPECT_EQ(first->getImplement()->getTypeSignature().get(), read_uInt32Number(raw.data()));
        if (const auto* u = dynamic_cast<const UnknowType*>(first->getImplement())) {
            EXPECT_EQ(u->raw, raw);
            tally->compared["raw " + sigText(u->getTypeSignature().get())]++;
        }
    }
    for (cmsInt32Number i = 0; i < count; ++i) {
        const cmsTagSignature sig = cmsGetTagSignature(h, static_cast<cmsUInt32Number>(i));
        const Tag* tag = ours.getTagById(Signature(sig));
        const ICCType* type = tag->getImplement();
        const std::string where = file.filename().string() + " tag " + std::to_string(i);
        const unsigned long t = type->getTypeSignature().get();
        void* theirs = cmsReadTag(h, sig);
        if (!theirs) {
            // LittleCMS declines tags it does not know and types it does not allow for a tag, and
            // a curve set with a curve of no known type. Such a curve stays an identity 'curv'
            // here, as the nested-element rule of the tag classes has it.
            tally->compared["declined by LittleCMS: " + sigText(sig) + " " + sigText(t)]++;
            continue;
        }
        if (t == fourcc("XYZ ")) {
            const auto* x = dynamic_cast<const XYZType*>(type);
            const auto* c = static_cast<const cmsCIEXYZ*>(theirs);
            EXPECT_EQ(x->X, c->X) << where;
            EXPECT_EQ(x->Y, c->Y) << where;
            EXPECT_EQ(x->Z, c->Z) << where;
            tally->compared["XYZ"]++;
        } else if ((t == fourcc("curv") || t == fourcc("para")) && isTRC(sig)) {
            compareCurve(type, static_cast<const cmsToneCurve*>(theirs), where);
            tally->compared[t == fourcc("curv") ? "curv" : "para"]++;
        } else if ((t == fourcc("mft1") || t == fourcc("mft2") || t == fourcc("mAB ") || t == fourcc("mBA ")) &&
                   isLutTag(sig)) {
            compareLut(type, static_cast<const cmsPipeline*>(theirs), where);
            tally->compared[t == fourcc("mft1") ? "mft1" : t == fourcc("mft2") ? "mft2" : t == fourcc("mAB ") ? "mAB " : "mBA "]++;
        } else if (t == fourcc("text") || t == fourcc("desc") || t == fourcc("mluc")) {
            compareText(type, static_cast<const cmsMLU*>(theirs), where);
            tally->compared["text"]++;
        } else if (t == fourcc("sf32")) {
            // LittleCMS hands out size / 4 values: the same count as ours.
            const auto* a = dynamic_cast<const S15Fixed16ArrayType*>(type);
            const auto* m = static_cast<const cmsFloat64Number*>(theirs);
            if (sig == cmsSigChromaticAdaptationTag) {
                ASSERT_EQ(a->values.size(), 9u) << where;
            }
            for (std::size_t k = 0; k < a->values.size(); ++k)
                EXPECT_EQ(a->values[k], m[k]) << where;
            tally->compared["sf32 " + sigText(sig)]++;
        } else if (t == fourcc("vcgt")) {
            const auto* v = dynamic_cast<const VideoCardGammaType*>(type);
            const auto* const* curves = static_cast<const cmsToneCurve* const*>(theirs);
            if (!v->isFormula) {
                ASSERT_EQ(v->tables.size(), 3u) << where;
                for (int c = 0; c < 3; ++c) {
                    const auto& values = v->tables[static_cast<std::size_t>(c)].values;
                    ASSERT_EQ(cmsGetToneCurveEstimatedTableEntries(curves[c]), values.size()) << where;
                    const cmsUInt16Number* tt = cmsGetToneCurveEstimatedTable(curves[c]);
                    const double bound = static_cast<double>(VideoCardGammaType::getValueBound(
                        static_cast<unsigned long>(v->entrySize)));
                    for (std::size_t k = 0; k < values.size(); ++k)
                        ASSERT_EQ(std::lround(values[k] * bound) * (v->entrySize == 1 ? 257 : 1), tt[k]) << where;
                }
            }
            tally->compared["vcgt"]++;
        } else if (!dynamic_cast<const UnknowType*>(type)) {
            tally->compared["not compared: " + sigText(t)]++;
        }
    }

    // The probes agree with the full reader.
    EXPECT_TRUE(isICCProfile(s, 0));
    Header probed;
    ASSERT_TRUE(readICCProfileHeader(&probed, s, 0));
    EXPECT_EQ(0, std::memcmp(&probed.size, &hd.size, sizeof probed.size));
    EXPECT_EQ(probed.version.get(), hd.version.get());
    EXPECT_EQ(probed.colorSpace.get(), hd.colorSpace.get());
    EXPECT_EQ(probed.profileClass.get(), hd.profileClass.get());
    EXPECT_EQ(probed.illuminant[2], hd.illuminant[2]);
    std::vector<ICCProfileDescriptionPack> packs;
    testing::internal::CaptureStdout();
    const bool described = getProfileDescription(&packs, s, 0);
    testing::internal::GetCapturedStdout();
    const Tag* desc = ours.getTagById(fourcc("desc"));
    ASSERT_EQ(described, desc != nullptr);
    if (const auto* d = desc ? dynamic_cast<const TextDescriptionType*>(desc->getImplement()) : nullptr) {
        ASSERT_EQ(packs.size(), 1u);
        UniString expected;
        expected.assign(d->getString().c_str());
        EXPECT_EQ(packs[0].name, d->getString().length() ? expected : d->getUniString());
    } else if (const auto* m = desc ? dynamic_cast<const MultiLocalizedUnicodeType*>(desc->getImplement()) : nullptr) {
        ASSERT_EQ(packs.size(), m->getCount());
        for (std::size_t i = 0; i < packs.size(); ++i) {
            EXPECT_EQ(packs[i].language, m->names[i].language);
            EXPECT_EQ(packs[i].country, m->names[i].country);
            EXPECT_EQ(packs[i].name, m->names[i].name);
        }
    }
}

} // namespace

TEST(IccAgainstLittleCMS, EveryInstalledAndGeneratedProfile)
{
    const std::vector<fs::path> files = profileFiles();
    // icc-profiles-free, colord-data and libgs-common ship 53; the generated press profiles are 4.
    ASSERT_GE(files.size(), 57u);
    Tally tally;
    for (const fs::path& f : files) {
        SCOPED_TRACE(f.string());
        compareProfile(f, &tally);
    }
    std::printf("%zu profiles compared\n", files.size());
    for (const auto& [what, n] : tally.compared)
        std::printf("  %-28s %d\n", what.c_str(), n);
}
