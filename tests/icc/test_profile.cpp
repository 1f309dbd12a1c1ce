// Header, tag directory, whole-profile reading, tag classes, factories and the light probes.
#include "icc/factories.h"
#include "icc/profile.h"
#include "icc/types/basic_types.h"
#include "icc/types/curve_types.h"
#include "icc/types/lut_types.h"
#include "icc_test_support.h"

#include "foundation/singleton.h"

#include <fstream>

using namespace vemora;
using namespace vemora::cms;
using namespace vemora::cms::vemICC;
using namespace icctest;

namespace {

ByteVec xyzElement(double x, double y, double z) { return Bytes::element("XYZ ").s15(x).s15(y).s15(z).b; }
ByteVec gammaElement(unsigned long g) { return Bytes::element("curv").u32(1).u16(g).b; }

ProfileBuilder matrixProfile()
{
    ProfileBuilder p;
    p.add("desc", Bytes::element("desc").u32(5).text("Test").u8(0).u32(0).u32(0).u16(0).u8(0).zeros(67).b)
        .add("wtpt", xyzElement(0.9642, 1, 0.8249))
        .add("rXYZ", xyzElement(0.4361, 0.2225, 0.0139))
        .add("gXYZ", xyzElement(0.3851, 0.7169, 0.0971))
        .add("bXYZ", xyzElement(0.1431, 0.0606, 0.7141))
        .add("rTRC", gammaElement(0x0233))
        .share("gTRC", 5)
        .share("bTRC", 5)
        .add("cprt", Bytes::element("text").text("none").u8(0).b);
    return p;
}

ICCProfile readProfile(const ByteVec& bytes)
{
    dxStream s = streamOf(bytes);
    ICCProfile p;
    p.read(s);
    return p;
}

} // namespace

TEST(IccHeader, DefaultsAndColourModes)
{
    Header h;
    EXPECT_EQ(h.manufacturer.get(), fourcc("VEMR"));
    EXPECT_EQ(h.flags.get(), 0x20000u);
    EXPECT_EQ(h.cmmType.get(), 0u);
    EXPECT_EQ(h.version.get(), 0u);
    const struct {
        const char* sig;
        int mode;
    } cases[] = {{"RGB ", 0}, {"CMYK", 1}, {"GRAY", 2}, {"Lab ", 3}, {"XYZ ", 4}, {"Yxy ", 5}, {"Luv ", 7},
                 {"YCbr", 8}, {"HSV ", 9}, {"HLS ", 10}, {"CMY ", 11}, {"1CLR", 129}, {"6CLR", 134}, {"MCH6", 134},
                 {"9CLR", 137}, {"ACLR", 138}, {"MCHG", 144}, {"GCLR", 144}, {"HCLR", 255}, {"0CLR", 255},
                 {"MCH0", 255}, {"abcd", 255}};
    for (const auto& c : cases)
        EXPECT_EQ(Header::colorModeOf(Signature(fourcc(c.sig))), c.mode) << c.sig;
    h.colorSpace.set(fourcc("GRAY"));
    h.pcs.set(fourcc("Lab "));
    EXPECT_EQ(h.getDCSColor(), colorModeGray);
    EXPECT_EQ(h.getPCSColor(), colorModeLab);
}

TEST(IccHeader, ReadsEveryField)
{
    ProfileBuilder b = matrixProfile();
    b.intent = 3;
    const ByteVec bytes = b.build();
    dxStream s = streamOf(bytes);
    Header h;
    h.iccRead(s);
    EXPECT_EQ(s.getPos(), 128);
    EXPECT_EQ(h.size, bytes.size());
    EXPECT_EQ(h.version.get(), 0x02100000u);
    EXPECT_EQ(h.getProfileClass(), fourcc("mntr"));
    EXPECT_EQ(h.getDCSColor(), colorModeRGB);
    EXPECT_EQ(h.getPCSColor(), colorModeXYZ);
    EXPECT_EQ(h.year, 2024u);
    EXPECT_EQ(h.seconds, 30u);
    EXPECT_EQ(h.platform.get(), fourcc("APPL"));
    EXPECT_EQ(h.flags.get(), 0u);
    EXPECT_EQ(h.manufacturer.get(), fourcc("none"));
    EXPECT_EQ(h.getDefaultIntent(), 3u);
    EXPECT_NEAR(h.illuminant[0], 0.9642, 1e-4);
    EXPECT_EQ(h.creator.get(), fourcc("test"));
}

TEST(IccHeader, NotAProfileAndTruncated)
{
    ByteVec bytes = matrixProfile().build();
    bytes[36] = 'A';
    dxStream s = streamOf(bytes);
    Header h;
    EXPECT_EQ(expectErrorId(-6620, [&] { h.iccRead(s); }),
              line("Header::iccRead No ICC Profile format", -6618) + line("Header::iccRead error", -6620));
    const ByteVec good = matrixProfile().build();
    for (std::size_t n = 0; n < 128; ++n) {
        dxStream cut = streamOf(ByteVec(good.begin(), good.begin() + static_cast<long>(n)));
        Header t;
        expectErrorId(-6620, [&] { t.iccRead(cut); });
    }
}

TEST(IccProbes, MagicHeaderAndPosition)
{
    ByteVec block(128, 0);
    std::memcpy(&block[36], "acsp", 4);
    dxStream s = streamOf(block);
    s.setPos(7, true);
    EXPECT_TRUE(isICCProfile(s, 0));
    EXPECT_EQ(s.getPos(), 7);
    std::memcpy(&block[36], "ACSP", 4);
    dxStream upper = streamOf(block);
    EXPECT_FALSE(isICCProfile(upper, 0));

    dxStream shortFile = streamOf(ByteVec(100, 0));
    Header h;
    EXPECT_FALSE(readICCProfileHeader(&h, shortFile, 0));

    // A profile embedded at an offset.
    ByteVec embedded(40, 0xEE);
    const ByteVec profile = matrixProfile().build();
    embedded.insert(embedded.end(), profile.begin(), profile.end());
    dxStream e = streamOf(embedded);
    e.setPos(3, true);
    EXPECT_TRUE(isICCProfile(e, 40));
    EXPECT_TRUE(readICCProfileHeader(&h, e, 40));
    EXPECT_EQ(e.getPos(), 3);
    EXPECT_EQ(h.size, profile.size());
    std::vector<ICCProfileDescriptionPack> packs;
    EXPECT_TRUE(getProfileDescription(&packs, e, 40));
    ASSERT_EQ(packs.size(), 1u);
    EXPECT_EQ(packs[0].name.toUTF8(), "Test");
    ICCProfile p(40);
    e.gotoBOF();
    p.read(e);
    EXPECT_EQ(p.tags.size(), 9u);
}

TEST(IccProbes, DescriptionPacks)
{
    auto packsOf = [](const ByteVec& desc) {
        ProfileBuilder b;
        b.add("cprt", Bytes::element("text").text("c").u8(0).b).add("desc", desc);
        dxStream s = streamOf(b.build());
        std::vector<ICCProfileDescriptionPack> packs;
        EXPECT_TRUE(getProfileDescription(&packs, s, 0));
        return packs;
    };
    auto uni = packsOf(Bytes::element("desc").u32(0).u32(0x10009).u32(3).u16('h').u16('i').u16(0).u16(0).u8(0)
                           .zeros(67).b);
    ASSERT_EQ(uni.size(), 1u);
    EXPECT_EQ(uni[0].language, 9);
    EXPECT_EQ(uni[0].name.toUTF8(), "hi");
    auto script = packsOf(Bytes::element("desc").u32(0).u32(0).u32(0).u16(0).u8(3).text("ab").zeros(65).b);
    EXPECT_EQ(script[0].name.toUTF8(), "ab");
    auto empty = packsOf(Bytes::element("desc").u32(0).u32(0).u32(0).u16(0).u8(0).zeros(67).b);
    ASSERT_EQ(empty.size(), 1u);
    EXPECT_TRUE(empty[0].name.empty());

    Bytes m = Bytes::element("mluc").u32(3).u32(12);
    const char* langs[3] = {"en  ", "de  ", "fr  "};
    for (int i = 0; i < 3; ++i)
        m.u16(fourcc(langs[i]) >> 16).u16(fourcc("US  ") >> 16).u32(2).u32(16 + 36 + 2 * i);
    m.u16('a').u16('b').u16('c');
    auto three = packsOf(m.b);
    ASSERT_EQ(three.size(), 3u);
    EXPECT_EQ(three[1].language, fourcc("de  ") >> 16);
    EXPECT_EQ(three[2].name.toUTF8(), "c");

    ProfileBuilder none;
    none.add("cprt", Bytes::element("text").text("c").u8(0).b);
    dxStream s = streamOf(none.build());
    std::vector<ICCProfileDescriptionPack> packs;
    EXPECT_FALSE(getProfileDescription(&packs, s, 0));
    ProfileBuilder wrongType;
    wrongType.add("desc", xyzElement(1, 1, 1));
    dxStream w = streamOf(wrongType.build());
    EXPECT_FALSE(getProfileDescription(&packs, w, 0));
    EXPECT_TRUE(packs.empty());
}

TEST(IccProfile, ReadsTagsInDirectoryOrder)
{
    ICCProfile p = readProfile(matrixProfile().build());
    ASSERT_EQ(p.tags.size(), 9u);
    ASSERT_EQ(p.directory.size(), 9u);
    EXPECT_EQ(p.directory[6].first.get(), fourcc("gTRC"));
    EXPECT_EQ(p.directory[6].second, p.directory[5].second);
    EXPECT_EQ(getProfileBase(p.directory), 2);
    auto* r = dynamic_cast<RedTRCTag*>(p.getTagById(fourcc("rTRC")));
    auto* g = dynamic_cast<GreenTRCTag*>(p.getTagById(fourcc("gTRC")));
    ASSERT_TRUE(r && g);
    // Entries that share data are separate objects.
    EXPECT_NE(r->getImplement(), g->getImplement());
    EXPECT_EQ(dynamic_cast<const CurveType*>(g->getImplement())->gamma, 563.0 / 256.0);
    EXPECT_EQ(r->getTypeSignature().get(), fourcc("curv"));
    EXPECT_EQ(r->getImplement()->owner, r);
    const auto* w = dynamic_cast<const XYZType*>(p.getTagById(fourcc("wtpt"))->getImplement());
    EXPECT_NEAR(w->Z, 0.8249, 1e-4);
    EXPECT_EQ(p.getTagById(fourcc("A2B0")), nullptr);
    EXPECT_EQ(p.find(fourcc("zzzz")), p.tags.end());
    for (const auto& t : p.tags) {
        EXPECT_FALSE(t->isSubstitute());
        EXPECT_EQ(t.getUseCount(), 1);
    }
    const ICCProfile& cp = p;
    EXPECT_EQ(cp.getTagById(fourcc("cprt")), p.tags[8].get());
    // The factories are closed after a read.
    EXPECT_EQ((dxSingleton<ICCTagFactory, 3>::ptr()), nullptr);
}

TEST(IccProfile, UnknownTagsDuplicatesAndEmptyDirectory)
{
    ProfileBuilder b;
    b.add("zzzz", Bytes::element("text").text("z").u8(0).b)
        .add("rTRC", Bytes::element("para").u16(0).u16(0).s15(1.0).b)
        .add("rTRC", gammaElement(0x0100))
        .add("wtpt", Bytes::element("abcd").u32(7).b)
        .add("A2B0", Bytes::element("mAB ").u8(3).u8(3).u16(0).zeros(20).b);
    ICCProfile p = readProfile(b.build());
    ASSERT_EQ(p.tags.size(), 5u);
    EXPECT_NE(dynamic_cast<UnknowTag*>(p.tags[0].get()), nullptr);
    EXPECT_EQ(p.tags[0]->getTagSignature().get(), fourcc("zzzz"));
    EXPECT_NE(dynamic_cast<const TextType*>(p.tags[0]->getImplement()), nullptr);
    // The first of two entries wins; the 'para' replaced the default 'curv'.
    EXPECT_NE(dynamic_cast<const ParameterCurveType*>(p.getTagById(fourcc("rTRC"))->getImplement()), nullptr);
    const auto* raw = dynamic_cast<const UnknowType*>(p.getTagById(fourcc("wtpt"))->getImplement());
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw->raw, (ByteVec{'a', 'b', 'c', 'd', 0, 0, 0, 0, 0, 0, 0, 7}));
    EXPECT_EQ(getProfileBase(p.directory), 1);

    ProfileBuilder gray;
    gray.colorSpace = "GRAY";
    gray.add("kTRC", gammaElement(0x0100));
    EXPECT_EQ(getProfileBase(readProfile(gray.build()).directory), 0);

    ICCProfile empty = readProfile(ProfileBuilder().build());
    EXPECT_TRUE(empty.directory.empty());
    EXPECT_TRUE(empty.tags.empty());
}

TEST(IccProfile, UnalignedDirectoryOffsetsAreReadWhereTheyPoint)
{
    // Profiles in use (old LittleCMS test profiles among them) place elements at odd offsets.
    ByteVec bytes = ProfileBuilder().add("wtpt", xyzElement(0.5, 1, 0.25)).build();
    const std::size_t at = 128 + 4 + 12;
    bytes.insert(bytes.begin() + static_cast<long>(at), 0xEE);
    bytes[128 + 4 + 4 + 3] += 1; // the offset moves with the element
    bytes[3] += 1;
    ICCProfile p = readProfile(bytes);
    const auto* w = dynamic_cast<const XYZType*>(p.getTagById(fourcc("wtpt"))->getImplement());
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->X, 0.5);
    EXPECT_EQ(w->Z, 0.25);
}

TEST(IccProfile, ReadingFailuresAndTheirConsoleLines)
{
    // A truncated header: the innermost record first.
    const ByteVec good = matrixProfile().build();
    {
        ByteVec cut(good.begin(), good.begin() + 60);
        cut[3] = 60;
        cut[2] = cut[1] = cut[0] = 0;
        ICCProfile p;
        dxStream s = streamOf(cut);
        EXPECT_EQ(expectErrorId(-6700, [&] { p.read(s); }),
                  line("read_uInt32Number error", -6219) + line("dxICC_Signature::iccRead error", -6603) +
                      line("Header::iccRead error", -6620) + line("Read Profile error", -6700));
    }
    // A size field larger than the data.
    {
        ByteVec big = good;
        big[0] = 0x7F;
        ICCProfile p;
        dxStream s = streamOf(big);
        EXPECT_EQ(expectErrorId(-6700, [&] { p.read(s); }), line("Read Profile error", -6700));
    }
    // A tag count beyond the data.
    {
        ByteVec many = good;
        many[128] = 0x10;
        ICCProfile p;
        dxStream s = streamOf(many);
        expectErrorId(-6700, [&] { p.read(s); });
    }
    // Tag offsets and sizes outside the profile; the tags before stay read.
    for (int field : {4, 8}) {
        ByteVec out = good;
        const std::size_t at = 128 + 4 + 12 * 3 + static_cast<std::size_t>(field);
        out[at] = 0x00;
        out[at + 1] = 0x01;
        ICCProfile p;
        dxStream s = streamOf(out);
        EXPECT_EQ(expectErrorId(-6701, [&] { p.read(s); }), line("Read Tag Data error", -6701));
        EXPECT_EQ(p.tags.size(), 3u);
    }
    // A buffer that is not buffering.
    {
        dxStream s = streamOf(good);
        dxStream file(dxStream::sourceFile);
        Header h;
        TagDirectory d;
        EXPECT_EQ(expectErrorId(-6700, [&] { iccProfileRead(s, &h, &d, &file, 0); }),
                  line("Found point already in container", -6702) + line("Read Profile error", -6700));
    }
}

TEST(IccProfile, ThousandsOfEntriesOnOneElementAreBounded)
{
    // 2000 entries on one element of nearly the whole profile: reading them all would copy the
    // profile 2000 times over.
    ProfileBuilder b;
    b.add("zzzz", Bytes::element("abcd").zeros(40000).b);
    for (int i = 0; i < 1999; ++i)
        b.share("zzzz", 0);
    ICCProfile p;
    dxStream s = streamOf(b.build());
    EXPECT_EQ(expectErrorId(-6701, [&] { p.read(s); }), line("Read Tag Data error", -6701));
    // The budget is 64 times the profile (64 KB here), about 102 copies of the element.
    EXPECT_GE(p.tags.size(), 64u);
    EXPECT_LT(p.tags.size(), 110u);
}

TEST(IccProfile, EveryTruncationFailsCleanly)
{
    // Each prefix of the profile, with its size field kept or set to the prefix length.
    const ByteVec good = matrixProfile().build();
    for (std::size_t n = 0; n < good.size(); ++n) {
        for (int fix = 0; fix < 2; ++fix) {
            ByteVec cut(good.begin(), good.begin() + static_cast<long>(n));
            if (fix && n >= 4) {
                cut[0] = 0;
                cut[1] = 0;
                cut[2] = static_cast<Byte>(n >> 8);
                cut[3] = static_cast<Byte>(n);
            }
            testing::internal::CaptureStdout();
            ICCProfile p;
            dxStream s = streamOf(cut);
            long id = 0;
            try {
                p.read(s);
            } catch (const ExceptionDebuggErrorID& e) {
                id = e.getId();
            }
            testing::internal::GetCapturedStdout();
            EXPECT_TRUE(id == -6700 || id == -6701) << n << " " << fix << " " << id;
            Header h;
            testing::internal::CaptureStdout();
            const bool header = readICCProfileHeader(&h, s, 0);
            testing::internal::GetCapturedStdout();
            EXPECT_EQ(header, n >= 128) << n;
        }
    }
}

TEST(IccProfile, TruncatedPressProfilesFailCleanly)
{
    // The generated CMYK press profiles ('mft2' and 'mAB '/'mBA ' tables), cut every 61 bytes
    // with their size field following the cut: each prefix fails, none reads outside.
    for (const char* name : {"fogra39-v2.icc", "fogra39-v4.icc"}) {
        std::ifstream in(std::string(VERIGLOW_SOURCE_DIR) + "/tests/icc/profiles/" + name, std::ios::binary);
        const ByteVec good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_GT(good.size(), 20000u) << name;
        readProfile(good);
        for (std::size_t n = 4; n < good.size(); n += 61) {
            ByteVec cut(good.begin(), good.begin() + static_cast<long>(n));
            for (int i = 0; i < 4; ++i)
                cut[static_cast<std::size_t>(i)] = static_cast<Byte>(n >> (24 - 8 * i));
            testing::internal::CaptureStdout();
            long id = 0;
            try {
                readProfile(cut);
            } catch (const ExceptionDebuggErrorID& e) {
                id = e.getId();
            }
            testing::internal::GetCapturedStdout();
            EXPECT_TRUE(id == -6700 || id == -6701) << name << " " << n;
        }
    }
}

TEST(IccProfile, RegressionCorpusOutcomes)
{
    // The named files of the fuzz corpus, each a fault the reader must refuse (or, for the last,
    // a profile it must read): outer record of ICCProfile::read, 0 for a profile that reads.
    const struct {
        const char* file;
        long id;
    } cases[] = {
        {"tag-offset-outside-profile", -6701},      {"tag-size-beyond-profile", -6701},
        {"profile-size-beyond-data", -6700},        {"tag-count-billions", -6700},
        {"desc-count-beyond-element", -6701},       {"desc-unicode-count-beyond-element", -6701},
        {"mluc-count-beyond-element", -6701},       {"mluc-record-size-beyond-element", -6701},
        {"curve-count-billions", -6701},            {"lut-grid-overflow", -6701},
        {"lut-zero-channels", -6701},               {"lut-zero-grid-points", -6701},
        {"mab-offset-outside-element", -6701},      {"elements-read-thousands-of-times", -6701},
        {"unaligned-tag-offsets", 0},
    };
    for (const auto& c : cases) {
        std::ifstream in(std::string(VERIGLOW_SOURCE_DIR) + "/tests/icc/corpus/icc_profile/" + c.file,
                         std::ios::binary);
        const ByteVec bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(bytes.empty()) << c.file;
        long id = 0;
        testing::internal::CaptureStdout();
        try {
            readProfile(bytes);
        } catch (const ExceptionDebuggErrorID& e) {
            id = e.getId();
        }
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(id, c.id) << c.file;
    }
}

TEST(IccTags, ElementWritingAlignsAndReportsSize)
{
    CopyrightTag tag;
    auto* text = new TextType();
    text->text = dxString("twelve chars");
    tag.allocateImp(text);
    dxStream s(dxStream::sourceBuffer);
    s.write_byte(ByteVec(6, 0xAA).data(), 6);
    const dxValue2<long, long> where = tag.iccWrite(s);
    EXPECT_EQ(where.first, 8);
    EXPECT_EQ(where.second, 21);
    EXPECT_EQ(s.getPos(), 32);
    const ByteVec b = bytesOf(s);
    EXPECT_EQ(ByteVec(b.begin() + 6, b.begin() + 16), (ByteVec{0, 0, 't', 'e', 'x', 't', 0, 0, 0, 0}));
    EXPECT_EQ(b[29], 0);
}

TEST(IccTags, CloneAndDefaults)
{
    GrayTRCTag k;
    ASSERT_NE(k.getImplement(), nullptr);
    EXPECT_EQ(k.getTypeSignature().get(), fourcc("curv"));
    EXPECT_EQ(k.getImplement()->owner, &k);
    CopyrightTag c;
    EXPECT_EQ(c.getImplement(), nullptr);
    EXPECT_EQ(c.getTagSignature().get(), fourcc("cprt"));

    RedTRCTag r;
    auto* p = new ParameterCurveType();
    p->function = 2;
    p->parameters = {2.2, 1, 0, 0};
    r.allocateImp(p);
    r.setSubstitute(true);
    std::unique_ptr<Tag> copy(r.clone());
    ASSERT_NE(dynamic_cast<RedTRCTag*>(copy.get()), nullptr);
    EXPECT_TRUE(copy->isSubstitute());
    EXPECT_NE(copy->getImplement(), r.getImplement());
    EXPECT_EQ(copy->getImplement()->owner, copy.get());
    EXPECT_EQ(dynamic_cast<const ParameterCurveType*>(copy->getImplement())->parameters, p->parameters);

    UnknowTag u(Signature(fourcc("zzzz")));
    std::unique_ptr<Tag> ucopy(u.clone());
    EXPECT_NE(dynamic_cast<UnknowTag*>(ucopy.get()), nullptr);
    EXPECT_EQ(ucopy->getTagSignature().get(), fourcc("zzzz"));
    CurveAbstractTag plain;
    std::unique_ptr<Tag> pcopy(plain.clone());
    EXPECT_NE(dynamic_cast<CurveAbstractTag*>(pcopy.get()), nullptr);
    closeICCTagFactory();
}

TEST(IccFactories, ExactEntriesAndRebuild)
{
    EXPECT_EQ(getICCTagFactory().size(), 22u);
    EXPECT_EQ(getICCTypeFactory().size(), 12u);
    const char* tags[] = {"cprt", "desc", "Vnt1", "Vnt2", "A2B0", "A2B1", "A2B2", "B2A0", "B2A1", "B2A2", "chad",
                          "gamt", "wtpt", "bkpt", "rXYZ", "gXYZ", "bXYZ", "kTRC", "rTRC", "gTRC", "bTRC", "vcgt"};
    for (const char* t : tags) {
        std::unique_ptr<Tag> made(getICCTagFactory().createObject(fourcc(t)));
        ASSERT_NE(made, nullptr) << t;
        EXPECT_EQ(made->getTagSignature().get(), fourcc(t));
    }
    const char* types[] = {"text", "desc", "mluc", "mft1", "mft2", "mAB ", "mBA ", "XYZ ", "curv", "para", "sf32",
                           "vcgt"};
    for (const char* t : types) {
        std::unique_ptr<ICCType> made(getICCTypeFactory().createObject(fourcc(t)));
        ASSERT_NE(made, nullptr) << t;
        EXPECT_EQ(made->getTypeSignature().get(), fourcc(t));
        std::unique_ptr<ICCType> copy(made->clone());
        ASSERT_NE(copy, nullptr) << t;
        EXPECT_EQ(copy->getTypeSignature().get(), fourcc(t));
    }
    closeICCTypeFactory();
    closeICCTagFactory();
    EXPECT_EQ((dxSingleton<ICCTypeFactory, 3>::ptr()), nullptr);
    EXPECT_EQ(getICCTypeFactory().size(), 12u);
    closeICCTypeFactory();
}

TEST(IccProfile, DataStreamCopiesTheBytes)
{
    ByteVec bytes = matrixProfile().build();
    dxStream s = ICCProfile::get_data_stream(bytes.data(), static_cast<unsigned long>(bytes.size()));
    bytes[36] = 0;
    EXPECT_TRUE(s.isBuffering());
    EXPECT_EQ(s.getPos(), 0);
    EXPECT_TRUE(isICCProfile(s, 0));
}
