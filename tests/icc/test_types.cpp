// Element types: text, description, localized text, XYZ, arrays, raw elements, curves, LUTs.
#include "icc/factories.h"
#include "icc/profile.h"
#include "icc/types/basic_types.h"
#include "icc/types/curve_types.h"
#include "icc/types/lut_types.h"
#include "icc_test_support.h"

using namespace vemora;
using namespace vemora::cms;
using namespace vemora::cms::vemICC;
using namespace icctest;

namespace {

// Reads one element as the directory entry `tag` of a profile with the given header.
PointerHolder<Tag> readAs(const char* tag, const ByteVec& element, const Header& header = Header())
{
    dxStream s = streamOf(element);
    const TagEntry entry(Signature(fourcc(tag)), dxValue2<long, long>(0, static_cast<long>(element.size())));
    return readTagData(s, entry, header);
}

template <class T>
const T& impl(const PointerHolder<Tag>& tag)
{
    const T* t = dynamic_cast<const T*>(tag->getImplement());
    if (!t)
        throw std::runtime_error("unexpected type");
    return *t;
}

ByteVec bodyOf(const ICCType& t)
{
    dxStream s(dxStream::sourceBuffer);
    t.write(s);
    return bytesOf(s);
}

Header headerOf(const char* space, const char* pcs)
{
    Header h;
    h.colorSpace.set(fourcc(space));
    h.pcs.set(fourcc(pcs));
    return h;
}

// The console lines of a failing tag read, ending with the outer record.
std::string failingRead(const char* tag, const ByteVec& element, const Header& header = Header())
{
    return expectErrorId(-6701, [&] { readAs(tag, element, header); });
}

} // namespace

// ---- text ----

TEST(IccTextType, ReadsUpToTheFirstZeroAndWritesOneTerminator)
{
    const ByteVec e = Bytes::element("text").text("Copyright").zeros(3).b;
    ASSERT_EQ(e.size(), 20u);
    auto tag = readAs("cprt", e);
    const auto& t = impl<TextType>(tag);
    EXPECT_EQ(t.text.str(), "Copyright");
    EXPECT_EQ(bodyOf(t), Bytes().text("Copyright").zeros(1).b);
    // Without a zero the whole body is the text.
    EXPECT_EQ(impl<TextType>(readAs("cprt", Bytes::element("text").text("abcd").b)).text.str(), "abcd");
}

TEST(IccTextType, VnoteTagHoldsText)
{
    auto tag = readAs("Vnt1", Bytes::element("text").text("note").zeros(1).b);
    EXPECT_NE(dynamic_cast<VemoraNoteTag1*>(tag.get()), nullptr);
    EXPECT_EQ(impl<TextType>(tag).text.str(), "note");
}

// ---- desc ----

namespace {

ByteVec descElement(const std::string& ascii, unsigned long lang, const ByteVec& uni, unsigned long uniCount,
                    unsigned long scriptCount = 0, const std::string& script = "")
{
    Bytes e = Bytes::element("desc");
    e.u32(ascii.empty() ? 0 : ascii.size() + 1).text(ascii);
    if (!ascii.empty())
        e.u8(0);
    e.u32(lang).u32(uniCount).raw(uni).u16(0).u8(scriptCount);
    ByteVec field(67, 0);
    std::memcpy(field.data(), script.data(), script.size() < 67 ? script.size() : 67);
    e.raw(field);
    return e.b;
}

} // namespace

TEST(IccTextDescriptionType, EmptyTextsWriteEightyTwoBytes)
{
    auto tag = readAs("desc", descElement("", 0, {}, 0));
    const auto& d = impl<TextDescriptionType>(tag);
    EXPECT_EQ(d.getString().length(), 0u);
    EXPECT_TRUE(d.getUniString().empty());
    EXPECT_EQ(d.getScriptString().length(), 0u);
    EXPECT_EQ(bodyOf(d).size(), 82u);
    EXPECT_EQ(bodyOf(d), ByteVec(82, 0));
}

TEST(IccTextDescriptionType, UnicodeByteOrders)
{
    const struct {
        ByteVec units;
        unsigned long count;
    } cases[] = {
        {{0xFE, 0xFF, 0x00, 0x41, 0x00, 0x42, 0x00, 0x00}, 4},
        {{0xFF, 0xFE, 0x41, 0x00, 0x42, 0x00, 0x00, 0x00}, 4},
        {{0x00, 0x41, 0x00, 0x42, 0x00, 0x00}, 3},
    };
    for (const auto& c : cases) {
        auto tag = readAs("desc", descElement("x", 0x10009, c.units, c.count));
        const auto& d = impl<TextDescriptionType>(tag);
        EXPECT_EQ(d.getUniString().toUTF8(), "AB");
        EXPECT_EQ(d.getLanguageCode(), 0x10009u);
    }
    // A count that leaves no unit is an empty text.
    EXPECT_TRUE(impl<TextDescriptionType>(readAs("desc", descElement("x", 0, {0xFE, 0xFF}, 1))).getUniString().empty());
}

TEST(IccTextDescriptionType, RoundTripAndScriptCountCap)
{
    TextDescriptionType d;
    d.asciiText = dxString("sRGB");
    d.languageCode = 0x656E;
    d.unicodeText = UniString::fromUTF8("sRGB\xC3\xA9");
    d.scriptCode = 7;
    d.scriptText = dxString("mac");
    const ByteVec body = bodyOf(d);
    const ByteVec expected = Bytes()
                                 .u32(5).text("sRGB").u8(0)
                                 .u32(0x656E)
                                 .u32(6).u16('s').u16('R').u16('G').u16('B').u16(0xE9).u16(0)
                                 .u16(7).u8(4).text("mac").zeros(64)
                                 .b;
    EXPECT_EQ(body, expected);
    auto tag = readAs("desc", Bytes::element("desc").raw(body).b);
    const auto& r = impl<TextDescriptionType>(tag);
    EXPECT_EQ(r.getString().str(), "sRGB");
    EXPECT_EQ(r.getUniString(), d.unicodeText);
    EXPECT_EQ(r.getScriptString().str(), "mac");
    EXPECT_EQ(r.scriptCode, 7);

    // A ScriptCode count of 200 reads 66 bytes.
    ByteVec e = descElement("a", 0, {}, 0, 200, std::string(66, 'q'));
    auto capped = readAs("desc", e);
    EXPECT_EQ(impl<TextDescriptionType>(capped).getScriptString().str(), std::string(66, 'q'));
}

TEST(IccTextDescriptionType, CountsBeyondTheElementFail)
{
    // ASCII count, Unicode count and a count of billions: each refused, never read outside.
    ByteVec ascii = descElement("abc", 0, {}, 0);
    ascii[11] = 200;
    EXPECT_EQ(failingRead("desc", ascii),
              line("TextDescriptionType::read error", -6607) + line("Read Tag Data error", -6701));
    ByteVec uni = descElement("abc", 0, {0, 0x41, 0, 0}, 2);
    uni[8 + 4 + 4 + 4 + 3] = 0x7F; // Unicode count low byte
    uni[8 + 4 + 4 + 4] = 0x7F;     // and high byte: about two billion units
    failingRead("desc", uni);
    // A truncated element.
    ByteVec cut = descElement("abcdef", 0, {}, 0);
    cut.resize(14);
    failingRead("desc", cut);
}

// ---- mluc ----

TEST(IccMultiLocalizedUnicodeType, WritesOffsetsInOrderAndReadsBack)
{
    MultiLocalizedUnicodeType m;
    MultiLocalizedUnicodeType::Name en, de;
    en.language = 0x656E;
    en.country = 0x5553;
    en.name = UniString::fromUTF8("abc");
    de.language = 0x6465;
    de.country = 0x4445;
    de.name = UniString::fromUTF8("xy");
    m.names = {en, de};
    const ByteVec body = bodyOf(m);
    const ByteVec expected = Bytes()
                                 .u32(2).u32(12)
                                 .u16(0x656E).u16(0x5553).u32(6).u32(40)
                                 .u16(0x6465).u16(0x4445).u32(4).u32(46)
                                 .u16('a').u16('b').u16('c').u16('x').u16('y')
                                 .b;
    EXPECT_EQ(body, expected);
    auto tag = readAs("desc", Bytes::element("mluc").raw(body).b);
    const auto& r = impl<MultiLocalizedUnicodeType>(tag);
    ASSERT_EQ(r.getCount(), 2u);
    EXPECT_EQ(r.getName(0).language, 0x656E);
    EXPECT_EQ(r.getName(0).country, 0x5553);
    EXPECT_EQ(r.getName(0).name.toUTF8(), "abc");
    EXPECT_EQ(r.getName(1).name.toUTF8(), "xy");
}

TEST(IccMultiLocalizedUnicodeType, ShortRecordSizeIsTwelveAndOddByteIgnored)
{
    const ByteVec e = Bytes::element("mluc")
                          .u32(1).u32(8)
                          .u16(0x656E).u16(0x5553).u32(5).u32(28)
                          .u16('h').u16('i').u8('!')
                          .b;
    auto tag = readAs("desc", e);
    EXPECT_EQ(impl<MultiLocalizedUnicodeType>(tag).getName(0).name.toUTF8(), "hi");
}

TEST(IccMultiLocalizedUnicodeType, HostileCountsAndOffsetsFail)
{
    const ByteVec records = Bytes::element("mluc").u32(0xFFFFFFFF).u32(12).u16(1).u16(2).u32(2).u32(28).b;
    EXPECT_EQ(failingRead("desc", records),
              line("MultiLocalizedUnicodeType read error", -6623) + line("Read Tag Data error", -6701));
    const ByteVec bigRecord = Bytes::element("mluc").u32(1).u32(0x7FFFFFFF).u16(1).u16(2).u32(2).u32(28).u16('a').b;
    failingRead("desc", bigRecord);
    const ByteVec farName = Bytes::element("mluc").u32(1).u32(12).u16(1).u16(2).u32(2).u32(0xFFFFFF00).u16('a').b;
    failingRead("desc", farName);
    const ByteVec longName = Bytes::element("mluc").u32(1).u32(12).u16(1).u16(2).u32(4).u32(28).u16('a').b;
    failingRead("desc", longName);
}

// ---- XYZ, sf32, raw ----

TEST(IccXYZType, ReadsTheFirstNumber)
{
    auto tag = readAs("wtpt", Bytes::element("XYZ ").s15(0.9505).s15(1).s15(1.089).s15(5).b);
    const auto& x = impl<XYZType>(tag);
    EXPECT_NEAR(x.X, 0.9505, 1e-5);
    EXPECT_EQ(x.Y, 1.0);
    EXPECT_NEAR(x.Z, 1.089, 1e-5);
    EXPECT_EQ(bodyOf(x).size(), 12u);
    XYZType big;
    big.X = 1e6;
    dxStream s(dxStream::sourceBuffer);
    EXPECT_EQ(expectErrorId(-6612, [&] { big.write(s); }),
              line("write_s16Fixed16Number over limit", -6205) + line("write_XYZNumber error", -6246) +
                  line("XYZType::write error", -6612));
    failingRead("wtpt", Bytes::element("XYZ ").s15(1).b);
}

TEST(IccS15Fixed16ArrayType, CountFollowsTheElementSize)
{
    Bytes e = Bytes::element("sf32");
    for (int i = 0; i < 9; ++i)
        e.s15(i + 0.5);
    ASSERT_EQ(e.size(), 44u);
    auto tag = readAs("chad", e.b);
    const auto& a = impl<S15Fixed16ArrayType>(tag);
    ASSERT_EQ(a.values.size(), 9u);
    EXPECT_EQ(a.values[8], 8.5);
    EXPECT_EQ(bodyOf(a), ByteVec(e.b.begin() + 8, e.b.end()));

    S15Fixed16ArrayType kept;
    kept.values = {1.0, 2.0};
    dxStream s = streamOf({1, 2});
    kept.read(s, 10, nullptr);
    EXPECT_EQ(kept.values.size(), 2u);
    dxStream empty(dxStream::sourceBuffer);
    S15Fixed16ArrayType none;
    none.write(empty);
    EXPECT_EQ(empty.getSize(), 0u);
}

TEST(IccUnknowType, KeepsTheWholeElement)
{
    const ByteVec e = Bytes::element("abcd").u32(1).u32(2).u32(3).b;
    auto tag = readAs("wtpt", e);
    EXPECT_NE(dynamic_cast<MediaWhitePointTag*>(tag.get()), nullptr);
    const auto& u = impl<UnknowType>(tag);
    EXPECT_EQ(u.raw, e);
    EXPECT_EQ(u.typeSignature.get(), fourcc("abcd"));
    EXPECT_EQ(bodyOf(u), ByteVec(e.begin() + 8, e.end()));
    std::unique_ptr<ICCType> copy(u.clone());
    EXPECT_EQ(dynamic_cast<UnknowType&>(*copy).raw, e);
    EXPECT_EQ(copy->owner, nullptr);
}

// ---- curv ----

TEST(IccCurveType, KindsAndLinearity)
{
    auto identity = readAs("rTRC", Bytes::element("curv").u32(0).b);
    const auto& c0 = impl<CurveType>(identity);
    EXPECT_EQ(c0.kind, 0);
    EXPECT_EQ(c0.gamma, 1.0);
    EXPECT_TRUE(c0.isLinear());
    EXPECT_EQ(bodyOf(c0), (ByteVec{0, 0, 0, 0}));

    auto gamma = readAs("rTRC", Bytes::element("curv").u32(1).u16(0x0233).b);
    const auto& c1 = impl<CurveType>(gamma);
    EXPECT_EQ(c1.kind, 1);
    EXPECT_EQ(c1.gamma, 563.0 / 256.0);
    EXPECT_FALSE(c1.isLinear());
    EXPECT_EQ(bodyOf(c1), (ByteVec{0, 0, 0, 1, 0x02, 0x33}));

    const struct {
        unsigned long top;
        bool linear;
    } tables[] = {{0xFFFF, true}, {0xFEFF, true}, {0xFEFD, false}};
    for (const auto& t : tables) {
        auto tag = readAs("gTRC", Bytes::element("curv").u32(2).u16(0).u16(t.top).b);
        const auto& c = impl<CurveType>(tag);
        EXPECT_EQ(c.kind, 2);
        ASSERT_EQ(c.points.values.size(), 2u);
        EXPECT_EQ(c.points.values[1], t.top / 65535.0);
        EXPECT_EQ(c.isLinear(), t.linear) << t.top;
    }
}

TEST(IccCurveType, TableWritingRoundsAndRefusesOverRange)
{
    CurveType c;
    c.kind = CurveType::kindTable;
    c.points.values = {0.0, 0.5, 1.0};
    EXPECT_EQ(bodyOf(c), (ByteVec{0, 0, 0, 3, 0, 0, 0x80, 0x00, 0xFF, 0xFF}));
    c.points.values[1] = 1.00001;
    dxStream s(dxStream::sourceBuffer);
    EXPECT_EQ(expectErrorId(-6626, [&] { c.write(s); }),
              line("write_uInt16Number over limit", -6201) + line("write_uInt16Number error", -6218) +
                  line("CurveType write error", -6626));
}

TEST(IccCurveType, DebugShow)
{
    CurveType c;
    c.kind = CurveType::kindTable;
    c.points.values = {0, 0.5, 1};
    testing::internal::CaptureStdout();
    c.debugShow();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Type: CurveType\n      Curve Point Count: 3\n");
    CurveType g;
    g.kind = CurveType::kindGamma;
    g.gamma = 2.2;
    testing::internal::CaptureStdout();
    g.debugShow();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Type: CurveType\n      Gamma: 2.200000\n");
    ParameterCurveType p;
    testing::internal::CaptureStdout();
    p.debugShow();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Type: ParameterCurveType\n      Function: 0\n      1.000000  ");
}

TEST(IccCurveType, CountsOfBillionsFailWithoutAllocating)
{
    EXPECT_EQ(failingRead("rTRC", Bytes::element("curv").u32(0xFFFFFFFF).u16(0).u16(1).b),
              line("CurveType read error", -6627) + line("Read Tag Data error", -6701));
    failingRead("rTRC", Bytes::element("curv").u32(3).u16(0).u16(1).b);
    failingRead("rTRC", Bytes::element("curv").u32(1).u8(2).b);
}

// ---- para ----

TEST(IccParameterCurveType, ParameterCountByFunction)
{
    const long expected[] = {1, 3, 4, 5, 7, 0, 0, 0};
    for (long f = 0; f < 8; ++f)
        EXPECT_EQ(ParameterCurveType::getParamaterCountByFunction(f), expected[f]);
    EXPECT_EQ(ParameterCurveType::getParamaterCountByFunction(-1), 0);
    ParameterCurveType fresh;
    ASSERT_EQ(fresh.parameters.size(), 1u);
    EXPECT_TRUE(fresh.isLinear());

    const ByteVec e =
        Bytes::element("para").u16(3).u16(0).s15(2.4).s15(0.947867).s15(0.052133).s15(0.077399).s15(0.04045).b;
    auto tag = readAs("rTRC", e);
    EXPECT_NE(dynamic_cast<RedTRCTag*>(tag.get()), nullptr);
    const auto& p = impl<ParameterCurveType>(tag);
    EXPECT_EQ(p.function, 3);
    ASSERT_EQ(p.parameters.size(), 5u);
    EXPECT_NEAR(p.parameters[0], 2.4, 1.0 / 65536);
    EXPECT_FALSE(p.isLinear());
    EXPECT_EQ(bodyOf(p), ByteVec(e.begin() + 8, e.end()));

    auto odd = readAs("rTRC", Bytes::element("para").u16(7).u16(0).b);
    EXPECT_TRUE(impl<ParameterCurveType>(odd).parameters.empty());
    failingRead("rTRC", Bytes::element("para").u16(4).u16(0).s15(1).s15(1).b);
}

// ---- vcgt ----

TEST(IccVideoCardGammaType, FormulaRoundTrip)
{
    VideoCardGammaType v;
    for (unsigned long c = 0; c < 3; ++c)
        v.setFormula(1, 0, 1, c);
    const ByteVec body = bodyOf(v);
    EXPECT_EQ(body.size(), 4u + 36u);
    auto tag = readAs("vcgt", Bytes::element("vcgt").raw(body).b);
    EXPECT_NE(dynamic_cast<VideoCardGammaTag*>(tag.get()), nullptr);
    const auto& r = impl<VideoCardGammaType>(tag);
    EXPECT_NE(r.isFormula, 0);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(r.gamma[c], 1.0);
        EXPECT_EQ(r.minimum[c], 0.0);
        EXPECT_EQ(r.maximum[c], 1.0);
    }
}

TEST(IccVideoCardGammaType, TablesOfEachEntrySize)
{
    Bytes e = Bytes::element("vcgt").u32(0).u16(3).u16(256).u16(2);
    for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 256; ++k)
            e.u16(k * 257 - j);
    auto tag = readAs("vcgt", e.pad4().b);
    const auto& v = impl<VideoCardGammaType>(tag);
    ASSERT_EQ(v.tables.size(), 3u);
    ASSERT_EQ(v.tables[2].values.size(), 256u);
    EXPECT_EQ(v.tables[0].values[255], 1.0);
    EXPECT_EQ(v.tables[2].values[1], (257 - 2) / 65535.0);
    EXPECT_EQ(bodyOf(v), ByteVec(e.b.begin() + 8, e.b.begin() + 8 + 10 + 1536));

    auto one = readAs("vcgt", Bytes::element("vcgt").u32(0).u16(1).u16(2).u16(1).u8(0).u8(255).b);
    EXPECT_EQ(impl<VideoCardGammaType>(one).tables[0].values[1], 1.0);
    auto four = readAs("vcgt", Bytes::element("vcgt").u32(0).u16(1).u16(1).u16(4).u32(0xFFFFFFFF).b);
    EXPECT_EQ(impl<VideoCardGammaType>(four).tables[0].values[0], 1.0);

    EXPECT_EQ(failingRead("vcgt", Bytes::element("vcgt").u32(0).u16(1).u16(1).u16(3).u8(0).u8(0).u8(0).b),
              line("VideoCardGammaTag getValueBound over range error", -6628) +
                  line("VideoCardGammaTag read error", -6630) + line("Read Tag Data error", -6701));
    failingRead("vcgt", Bytes::element("vcgt").u32(0).u16(0xFFFF).u16(0xFFFF).u16(4).u32(0).b);
    failingRead("vcgt", Bytes::element("vcgt").u32(0).u16(0xFFFF).u16(0).u16(2).b);
    VideoCardGammaType bad;
    bad.isFormula = 0;
    bad.entrySize = 3;
    dxStream s(dxStream::sourceBuffer);
    expectErrorId(-6629, [&] { bad.write(s); });
}

// ---- mft1 / mft2 ----

namespace {

// An 'mft2' (or 'mft1') element: identity matrix, ramps as tables, grid values from a counter.
ByteVec lutElement(bool eight, unsigned long in, unsigned long out, unsigned long grid, unsigned long entries = 256)
{
    Bytes e = Bytes::element(eight ? "mft1" : "mft2");
    e.u8(in).u8(out).u8(grid).u8(0);
    for (int i = 0; i < 9; ++i)
        e.s15(i % 4 == 0 ? 1.0 : 0.0);
    if (eight)
        entries = 256;
    else
        e.u16(entries).u16(entries);
    auto table = [&](unsigned long channels) {
        for (unsigned long c = 0; c < channels; ++c)
            for (unsigned long k = 0; k < entries; ++k) {
                if (eight)
                    e.u8(k);
                else
                    e.u16(entries > 1 ? k * 65535 / (entries - 1) : 0);
            }
    };
    table(in);
    unsigned long points = 1;
    for (unsigned long i = 0; i < in; ++i)
        points *= grid;
    for (unsigned long p = 0; p < points * out; ++p) {
        if (eight)
            e.u8(p & 0xFF);
        else
            e.u16(p & 0xFFFF);
    }
    table(out);
    return e.b;
}

ByteVec elementOf(Tag& tag)
{
    dxStream s(dxStream::sourceBuffer);
    const dxValue2<long, long> where = tag.iccWrite(s);
    ByteVec all = bytesOf(s);
    return ByteVec(all.begin() + where.first, all.begin() + where.first + where.second);
}

} // namespace

TEST(IccLutType, Mft2DirectionFromTheTagAndColoursFromTheHeader)
{
    const ByteVec e = lutElement(false, 3, 3, 33);
    const Header rgbLab = headerOf("RGB ", "Lab ");
    auto a2b = readAs("A2B0", e, rgbLab);
    const auto& lut = impl<Lut16Type>(a2b);
    EXPECT_TRUE(lut.isAtoB());
    EXPECT_FALSE(lut.is8Bits());
    ASSERT_FALSE(lut.clut.isNull());
    EXPECT_EQ(lut.clut->pointCount, 35937u);
    EXPECT_EQ(lut.clut->getBytePerChannel(), 2);
    EXPECT_EQ(lut.inputMode, colorModeRGB);
    EXPECT_EQ(lut.outputMode, colorModeLab);
    EXPECT_EQ(lut.clut->inputMode, colorModeRGB);
    EXPECT_EQ(lut.inputTables.size(), 3u);
    EXPECT_EQ(lut.outputTables[2].values.size(), 256u);
    EXPECT_TRUE(lut.isInputTableLinear());
    EXPECT_TRUE(lut.isOutputTableLinear());
    EXPECT_EQ(lut.matrix.matrix[4], 1.0);
    uint16_t v;
    std::memcpy(&v, &lut.clut->data[2 * 1000], 2);
    EXPECT_EQ(v, 1000);
    // Written back byte for byte.
    EXPECT_EQ(elementOf(*a2b), e);

    auto b2a = readAs("B2A0", e, rgbLab);
    EXPECT_EQ(impl<Lut16Type>(b2a).inputMode, colorModeLab);
    EXPECT_EQ(impl<Lut16Type>(b2a).outputMode, colorModeRGB);
    EXPECT_FALSE(impl<Lut16Type>(b2a).isAtoB());
    EXPECT_EQ(impl<Lut16Type>(b2a).clut->range[1][1], 127.99609375);
}

TEST(IccLutType, Mft1TablesAndGamut)
{
    const ByteVec e = lutElement(true, 4, 3, 5);
    auto tag = readAs("A2B1", e, headerOf("CMYK", "Lab "));
    const auto& lut = impl<Lut8Type>(tag);
    EXPECT_TRUE(lut.is8Bits());
    EXPECT_EQ(lut.inputEntries, 256);
    EXPECT_EQ(lut.inputTables[3].values[51], 51 / 255.0);
    EXPECT_TRUE(lut.isInputTableLinear());
    EXPECT_EQ(lut.clut->getCLUTByteSize(), 625u * 3);
    EXPECT_EQ(lut.clut->data[7], 7);
    EXPECT_EQ(elementOf(*tag), e);

    auto gamut = readAs("gamt", lutElement(false, 3, 1, 9, 2), headerOf("CMYK", "Lab "));
    EXPECT_NE(dynamic_cast<GamutTag*>(gamut.get()), nullptr);
    EXPECT_EQ(impl<Lut16Type>(gamut).inputMode, colorModeLab);
    EXPECT_EQ(impl<Lut16Type>(gamut).outputMode, colorModeGray);

    std::unique_ptr<ICCType> copy(lut.clone());
    auto& c = dynamic_cast<Lut8Type&>(*copy);
    EXPECT_NE(c.clut.get(), lut.clut.get());
    EXPECT_EQ(c.clut->data, lut.clut->data);
    EXPECT_EQ(c.clut->interpData, c.clut->data.data());
    EXPECT_EQ(c.inputTables[0].values, lut.inputTables[0].values);
    EXPECT_EQ(c.owner, nullptr);
}

TEST(IccLutType, HostileShapesFail)
{
    const Header h = headerOf("RGB ", "Lab ");
    const std::string lines = failingRead("A2B0", lutElement(false, 0, 3, 2), h);
    EXPECT_EQ(lines, line("LutType::read error", -6611) + line("Read Tag Data error", -6701));
    failingRead("A2B0", lutElement(false, 3, 0, 2), h);
    failingRead("A2B0", lutElement(false, 3, 3, 0), h);
    failingRead("A2B0", lutElement(false, 3, 3, 2, 1), h);
    // 15 inputs of 255 grid points: the table's size overflows any integer.
    ByteVec huge = lutElement(false, 3, 3, 2);
    huge[8] = 15;
    huge[10] = 255;
    failingRead("A2B0", huge, h);
    // A grid larger than the element.
    ByteVec big = lutElement(false, 3, 3, 2);
    big[10] = 200;
    failingRead("A2B0", big, h);
    // Entries of 65535 in a small element.
    ByteVec entries = lutElement(false, 3, 3, 2);
    entries[8 + 4 + 36] = 0xFF;
    entries[8 + 4 + 37] = 0xFF;
    failingRead("A2B0", entries, h);
    // Every truncation of a valid element.
    const ByteVec good = lutElement(true, 3, 3, 2);
    for (std::size_t n = 0; n < good.size(); n += 37) {
        testing::internal::CaptureStdout();
        EXPECT_ANY_THROW(readAs("A2B0", ByteVec(good.begin(), good.begin() + static_cast<long>(n)), h)) << n;
        testing::internal::GetCapturedStdout();
    }
}

// ---- mAB / mBA ----

namespace {

CurveSet* gammaCurves(std::size_t n, double gamma)
{
    auto* set = new CurveSet(n);
    for (CurveAbstractTag& c : *set) {
        auto* t = new CurveType();
        t->kind = CurveType::kindGamma;
        t->gamma = gamma;
        c.allocateImp(t);
    }
    return set;
}

const CurveType& curveAt(const CurveSetHolder& h, std::size_t i)
{
    return dynamic_cast<const CurveType&>(*(*h)[i].getImplement());
}

} // namespace

TEST(IccLutABType, FullRoundTrip)
{
    auto* lut = new LutAtoBType();
    lut->inputChannels = 3;
    lut->outputChannels = 3;
    lut->inputCurves.allocate(gammaCurves(3, 1.8), true);
    lut->outputCurves.allocate(gammaCurves(3, 2.2), true);
    lut->mCurves.allocate(new CurveSet(3), true);
    auto* para = new ParameterCurveType();
    para->function = 1;
    para->parameters = {2.0, 1.5, -0.5};
    (*lut->mCurves)[1].allocateImp(para);
    lut->matrix.allocate(new MatrixPack(iccV4), true);
    lut->matrix->offset[2] = 0.125;
    lut->clut.allocate(new dxICC_CLUT(), true);
    const unsigned long grid[3] = {2, 3, 5};
    lut->clut->init(false, grid, colorModeRGB, colorModeLab, 3, 3, iccV4);
    for (std::size_t i = 0; i < lut->clut->data.size(); ++i)
        lut->clut->data[i] = static_cast<unsigned char>(i * 7);
    AToB0Tag tag;
    tag.allocateImp(lut);
    const ByteVec e = elementOf(tag);
    // Offsets of B, matrix, M, CLUT, A, in the written order.
    EXPECT_EQ(read_uInt32Number(&e[12]), 32u);
    // Gamma curves are 14 bytes, padded to 16; the 'para' of the M curves is 24.
    EXPECT_EQ(read_uInt32Number(&e[16]), 32u + 3 * 16);
    EXPECT_EQ(read_uInt32Number(&e[20]), 32u + 3 * 16 + 48);
    const unsigned long clutAt = 32 + 48 + 48 + 12 + 24 + 12;
    EXPECT_EQ(read_uInt32Number(&e[24]), clutAt);
    EXPECT_EQ(e[clutAt + 16], 2); // precision
    EXPECT_EQ(read_uInt32Number(&e[28]), clutAt + 20 + 2 * 3 * 30);

    auto back = readAs("A2B0", e, headerOf("RGB ", "Lab "));
    const auto& r = impl<LutAtoBType>(back);
    EXPECT_TRUE(r.isAtoB());
    EXPECT_EQ(curveAt(r.inputCurves, 2).gamma, 1.80078125);
    EXPECT_EQ(curveAt(r.outputCurves, 0).gamma, 2.19921875);
    EXPECT_EQ(curveAt(r.mCurves, 0).kind, 0);
    const auto& p = dynamic_cast<const ParameterCurveType&>(*(*r.mCurves)[1].getImplement());
    EXPECT_EQ(p.parameters, (std::vector<double>{2.0, 1.5, -0.5}));
    EXPECT_EQ(r.matrix->offset[2], 0.125);
    EXPECT_EQ(r.clut->data, lut->clut->data);
    EXPECT_EQ(r.clut->getGridCount(2), 5u);
    EXPECT_EQ(r.inputMode, colorModeRGB);
    EXPECT_EQ(elementOf(*back), e);
    const CurveSetHolder *a = nullptr, *b = nullptr;
    r.getABCurve(&a, &b);
    EXPECT_EQ(a, &r.inputCurves);
    EXPECT_EQ(b, &r.outputCurves);

    std::unique_ptr<ICCType> copy(r.clone());
    auto& c = dynamic_cast<LutAtoBType&>(*copy);
    EXPECT_NE(c.inputCurves.get(), r.inputCurves.get());
    EXPECT_NE((*c.inputCurves)[0].getImplement(), (*r.inputCurves)[0].getImplement());
    EXPECT_EQ(curveAt(c.inputCurves, 0).gamma, 1.80078125);
    EXPECT_NE(c.matrix.get(), r.matrix.get());
    EXPECT_EQ(c.clut->data, r.clut->data);
}

TEST(IccLutABType, OnlyBCurves)
{
    auto* lut = new LutBtoAType();
    lut->inputChannels = 3;
    lut->outputChannels = 3;
    lut->inputCurves.allocate(gammaCurves(3, 1.0), true);
    BToA0Tag tag;
    tag.allocateImp(lut);
    const ByteVec e = elementOf(tag);
    EXPECT_EQ(read_uInt32Number(&e[12]), 32u);
    for (int k = 1; k < 5; ++k)
        EXPECT_EQ(read_uInt32Number(&e[12 + 4 * k]), 0u);
    auto back = readAs("B2A0", e, headerOf("RGB ", "Lab "));
    const auto& r = impl<LutBtoAType>(back);
    EXPECT_FALSE(r.isAtoB());
    EXPECT_EQ(r.inputCurves->size(), 3u);
    EXPECT_TRUE(r.outputCurves.isNull());
    EXPECT_TRUE(r.mCurves.isNull());
    EXPECT_TRUE(r.matrix.isNull());
    EXPECT_TRUE(r.clut.isNull());
    EXPECT_EQ(r.inputMode, colorModeLab);
}

TEST(IccLutABType, NoMatrixMeansNoMCurvesWritten)
{
    auto* lut = new LutAtoBType();
    lut->inputChannels = 1;
    lut->outputChannels = 3;
    lut->outputCurves.allocate(gammaCurves(3, 1.0), true);
    lut->mCurves.allocate(gammaCurves(3, 2.0), true);
    lut->clut.allocate(new dxICC_CLUT(), true);
    lut->clut->init(true, 2UL, colorModeGray, colorModeLab, 1, 3, iccV4);
    AToB0Tag tag;
    tag.allocateImp(lut);
    const ByteVec e = elementOf(tag);
    EXPECT_EQ(read_uInt32Number(&e[12]), 32u);
    EXPECT_EQ(read_uInt32Number(&e[16]), 0u);
    EXPECT_EQ(read_uInt32Number(&e[20]), 0u);
    EXPECT_EQ(read_uInt32Number(&e[24]), 80u);
    EXPECT_EQ(e[80 + 16], 1);
    EXPECT_EQ(read_uInt32Number(&e[28]), 0u);
    EXPECT_EQ(e.size(), 80u + 20 + 6);
}

TEST(IccLutABType, PartsAreReadInFormatOrderWhateverTheirOffsets)
{
    // Laid out A, CLUT, M, matrix, B.
    Bytes e = Bytes::element("mBA ");
    e.u8(3).u8(3).u16(0);
    const unsigned long a = 32, clut = a + 48, m = clut + 20 + 8 * 3 * 2, mat = m + 36, b = mat + 48;
    e.u32(b).u32(mat).u32(m).u32(clut).u32(a);
    for (int i = 0; i < 3; ++i)
        e.sig("curv").u32(0).u32(1).u16(0x0100 * (i + 1)).u16(0);
    e.u8(2).u8(2).u8(2).zeros(13).u8(2).zeros(3);
    for (int i = 0; i < 8 * 3; ++i)
        e.u16(i);
    for (int i = 0; i < 3; ++i)
        e.sig("curv").u32(0).u32(0);
    for (int i = 0; i < 12; ++i)
        e.s15(i);
    for (int i = 0; i < 3; ++i)
        e.sig("para").u32(0).u16(0).u16(0).s15(3.0);
    auto tag = readAs("B2A1", e.b, headerOf("CMYK", "Lab "));
    const auto& r = impl<LutBtoAType>(tag);
    // For 'mBA ' the B curves are met first and the A curves last.
    EXPECT_EQ(dynamic_cast<const ParameterCurveType&>(*(*r.inputCurves)[0].getImplement()).parameters[0], 3.0);
    EXPECT_EQ(curveAt(r.outputCurves, 2).gamma, 3.0);
    EXPECT_EQ(curveAt(r.mCurves, 1).kind, 0);
    EXPECT_EQ(r.matrix->matrix[8], 8.0);
    EXPECT_EQ(r.matrix->offset[2], 11.0);
    EXPECT_EQ(r.clut->pointCount, 8u);
    EXPECT_EQ(r.clut->range[2][1], 127.0);
}

TEST(IccLutABType, ColourTablePrecisionAndVersion4LabRanges)
{
    Bytes e = Bytes::element("mBA ");
    e.u8(3).u8(3).u16(0).u32(0).u32(0).u32(0).u32(32).u32(0);
    e.u8(9).u8(9).u8(9).zeros(13).u8(2).zeros(3);
    e.zeros(729 * 3 * 2);
    auto tag = readAs("B2A0", e.b, headerOf("RGB ", "Lab "));
    const auto& r = impl<LutBtoAType>(tag);
    EXPECT_EQ(r.clut->pointCount, 729u);
    EXPECT_FALSE(r.clut->is8Bits());
    EXPECT_EQ(r.clut->range[0][1], 100.0);
    EXPECT_EQ(r.clut->range[1][0], -128.0);
    EXPECT_EQ(r.clut->range[1][1], 127.0);
    EXPECT_EQ(r.clut->version, iccV4);
}

TEST(IccLutABType, HostileElementsFail)
{
    const Header h = headerOf("RGB ", "Lab ");
    auto header = [](unsigned long in, unsigned long out) {
        Bytes e = Bytes::element("mAB ");
        e.u8(in).u8(out).u16(0);
        return e;
    };
    EXPECT_EQ(failingRead("A2B0", header(0, 3).u32(0).u32(0).u32(0).u32(0).u32(0).b, h),
              line("LutABType read error", -6634) + line("Read Tag Data error", -6701));
    failingRead("A2B0", header(16, 3).u32(0).u32(0).u32(0).u32(0).u32(0).b, h);
    // A colour table whose grid is larger than the element, and one whose size overflows.
    failingRead("A2B0", header(3, 3).u32(0).u32(0).u32(0).u32(32).u32(0).u8(255).u8(255).u8(255).zeros(13).u8(2)
                            .zeros(3).zeros(64).b, h);
    Bytes overflow = header(15, 15).u32(0).u32(0).u32(0).u32(32).u32(0);
    for (int i = 0; i < 15; ++i)
        overflow.u8(255);
    failingRead("A2B0", overflow.zeros(1).u8(2).zeros(3).zeros(64).b, h);
    // Offsets outside the element.
    failingRead("A2B0", header(3, 3).u32(0xFFFFFFF0).u32(0).u32(0).u32(0).u32(0).b, h);
    failingRead("A2B0", header(3, 3).u32(0).u32(1000).u32(0).u32(0).u32(0).b, h);
    // A curve set holding something other than curves (here another table) is refused.
    Bytes nested = header(1, 1).u32(32).u32(0).u32(0).u32(0).u32(0);
    nested.raw(header(1, 1).u32(32).u32(0).u32(0).u32(0).u32(0).b);
    failingRead("A2B0", nested.b, h);
    // A curve of an unregistered type stays the identity it started as.
    auto kept = readAs("A2B0", header(1, 1).u32(32).u32(0).u32(0).u32(0).u32(0).sig("zzzz").u32(0).b, h);
    const auto& k = impl<LutAtoBType>(kept);
    EXPECT_EQ(curveAt(k.outputCurves, 0).kind, CurveType::kindIdentity);
    // A curve of billions of points inside a curve set.
    failingRead("A2B0", header(1, 1).u32(32).u32(0).u32(0).u32(0).u32(0).sig("curv").u32(0).u32(0x40000000).b, h);
}

// ---- failure tables ----

TEST(IccTypeFailures, EveryWriterAndReaderReportsItsOwnRecord)
{
    // A file stream that is not open refuses every transfer with -1181, which each type replaces.
    auto lut8 = std::make_unique<Lut8Type>();
    lut8->inputChannels = lut8->outputChannels = 1;
    auto lutAB = std::make_unique<LutAtoBType>();
    const std::pair<ICCType*, std::pair<long, long>> cases[] = {
        {new TextType(), {-6614, -6615}},
        {new TextDescriptionType(), {-6605, -6607}},
        {new MultiLocalizedUnicodeType(), {-6622, -6623}},
        {new XYZType(), {-6612, -6613}},
        {new CurveType(), {-6626, -6627}},
        {new ParameterCurveType(), {-6635, -6636}},
        {new VideoCardGammaType(), {-6629, -6630}},
        {lut8.release(), {-6610, -6611}},
        {lutAB.release(), {-6633, -6634}},
    };
    for (const auto& [type, ids] : cases) {
        std::unique_ptr<ICCType> owned(type);
        dxStream closed(dxStream::sourceFile);
        const std::string w = expectErrorId(ids.first, [&] { type->write(closed); });
        EXPECT_EQ(w.rfind(line("File no open", -1181), 0), 0u) << w;
        const std::string r = expectErrorId(ids.second, [&] { type->read(closed, 40, nullptr); });
        EXPECT_EQ(r.rfind(line("File no open", -1181), 0), 0u) << r;
    }
    S15Fixed16ArrayType array;
    array.values = {1.0};
    dxStream closed(dxStream::sourceFile);
    EXPECT_EQ(expectErrorId(-6624, [&] { array.write(closed); }),
              line("File no open", -1181) + line("write_s15Fixed16Number error", -6228) +
                  line("S15Fixed16ArrayType write error", -6624));
    expectErrorId(-6625, [&] { array.read(closed, 40, nullptr); });
    expectErrorId(-6602, [&] { Signature(1).iccWrite(closed); });
    expectErrorId(-6604, [&] { writeReserved(closed, 2); });
    expectErrorId(-6608, [&] { MatrixPack().iccWrite(closed); });
    dxICC_CLUT t;
    t.init(true, 2UL, colorModeGray, colorModeGray, 1, 1, iccV2);
    expectErrorId(-6800, [&] { t.iccWrite(closed); });
    expectErrorId(-6801, [&] { t.iccRead(closed); });
}
