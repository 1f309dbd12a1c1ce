// ICC number encodings, signatures, alignment, matrices and the colour table.
#include "icc/clut.h"
#include "icc/encodings.h"
#include "icc_test_support.h"

using namespace vemora;
using namespace vemora::cms;
using namespace vemora::cms::vemICC;
using namespace icctest;

namespace {

template <class F>
ByteVec written(F&& f)
{
    dxStream s(dxStream::sourceBuffer);
    f(s);
    return bytesOf(s);
}

ByteVec buf2(void (*w)(unsigned char*, double), double x)
{
    ByteVec b(2);
    w(b.data(), x);
    return b;
}

ByteVec buf4(void (*w)(unsigned char*, double), double x)
{
    ByteVec b(4);
    w(b.data(), x);
    return b;
}

} // namespace

TEST(IccNumbers, IntegersAtTheirLimits)
{
    EXPECT_EQ(written([](dxStream& s) { write_uInt8Number(s, 255); }), (ByteVec{0xFF}));
    EXPECT_EQ(written([](dxStream& s) { write_uInt16Number(s, 65535); }), (ByteVec{0xFF, 0xFF}));
    EXPECT_EQ(written([](dxStream& s) { write_uInt32Number(s, 0x12345678); }), (ByteVec{0x12, 0x34, 0x56, 0x78}));
    unsigned char b[4];
    expectErrorId(-6200, [&] { write_uInt8Number(b, 256); });
    expectErrorId(-6201, [&] { write_uInt16Number(b, 65536); });
    const ByteVec in{0x80, 0x01, 0x02, 0x03};
    EXPECT_EQ(read_uInt8Number(in.data()), 0x80UL);
    EXPECT_EQ(read_uInt16Number(in.data()), 0x8001UL);
    EXPECT_EQ(read_uInt32Number(in.data()), 0x80010203UL);
}

TEST(IccNumbers, RefusedStreamWritePrintsBothRecordsInnermostFirst)
{
    dxStream s(dxStream::sourceBuffer);
    const std::string out = expectErrorId(-6216, [&] { write_uInt8Number(s, 256); });
    EXPECT_EQ(out, line("write_uInt8Number over limit", -6200) + line("write_uInt8Number error", -6216));
    EXPECT_EQ(s.getSize(), 0u);
}

TEST(IccNumbers, ReadPastTheEndGivesEachTypesOwnError)
{
    const struct {
        long id;
        std::function<void(dxStream&)> read;
    } cases[] = {
        {-6215, [](dxStream& s) { read_uInt8Number(s); }},
        {-6217, [](dxStream& s) { read_uInt16Number(s); }},
        {-6219, [](dxStream& s) { read_uInt32Number(s); }},
        {-6223, [](dxStream& s) { read_u8Fixed8Number(s); }},
        {-6227, [](dxStream& s) { read_s15Fixed16Number(s); }},
        {-6243,
         [](dxStream& s) {
             unsigned long a, b, c, d, e, f;
             read_dateTimeNumber(&a, &b, &c, &d, &e, &f, s);
         }},
        {-6245,
         [](dxStream& s) {
             double x, y, z;
             read_XYZNumber(&x, &y, &z, s);
         }},
        {-6603,
         [](dxStream& s) {
             Signature g;
             g.iccRead(s);
         }},
        {-6606, [](dxStream& s) { readReserved(s, 1); }},
    };
    for (const auto& c : cases) {
        dxStream s(dxStream::sourceBuffer);
        expectErrorId(c.id, [&] { c.read(s); });
    }
    // A signature read past the end leaves both records, innermost first.
    dxStream s(dxStream::sourceBuffer);
    Signature g;
    EXPECT_EQ(expectErrorId(-6603, [&] { g.iccRead(s); }),
              line("read_uInt32Number error", -6219) + line("dxICC_Signature::iccRead error", -6603));
}

TEST(IccNumbers, U8Fixed8RoundsHalvesUp)
{
    EXPECT_EQ(buf2(write_u8Fixed8Number, 1.0), (ByteVec{0x01, 0x00}));
    EXPECT_EQ(buf2(write_u8Fixed8Number, 255.998), (ByteVec{0xFF, 0xFF}));
    EXPECT_EQ(buf2(write_u8Fixed8Number, -0.001), (ByteVec{0x00, 0x00}));
    EXPECT_EQ(buf2(write_u8Fixed8Number, 2.2), (ByteVec{0x02, 0x33}));
    unsigned char b[2];
    expectErrorId(-6203, [&] { write_u8Fixed8Number(b, 255.999); });
    expectErrorId(-6203, [&] { write_u8Fixed8Number(b, -0.002); });
    expectErrorId(-6203, [&] { write_u8Fixed8Number(b, std::nan("")); });
    dxStream s(dxStream::sourceBuffer);
    expectErrorId(-6224, [&] { write_u8Fixed8Number(s, 300.0); });
    const ByteVec g{0x02, 0x33};
    EXPECT_DOUBLE_EQ(read_u8Fixed8Number(g.data()), 563.0 / 256.0);
}

TEST(IccNumbers, S15Fixed16TruncatesTowardZero)
{
    EXPECT_EQ(buf4(write_s15Fixed16Number, -1.0), (ByteVec{0xFF, 0xFF, 0x00, 0x00}));
    EXPECT_EQ(buf4(write_s15Fixed16Number, 1.5), (ByteVec{0x00, 0x01, 0x80, 0x00}));
    EXPECT_EQ(buf4(write_s15Fixed16Number, 32767.99999), (ByteVec{0x7F, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(buf4(write_s15Fixed16Number, 0.99999), (ByteVec{0x00, 0x00, 0xFF, 0xFF}));
    EXPECT_EQ(buf4(write_s15Fixed16Number, -0.00001), (ByteVec{0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(buf4(write_s15Fixed16Number, -32768.0), (ByteVec{0x80, 0x00, 0x00, 0x00}));
    unsigned char b[4];
    const std::string out = expectErrorId(-6205, [&] { write_s15Fixed16Number(b, 32768.0); });
    EXPECT_EQ(out, line("write_s16Fixed16Number over limit", -6205));
    expectErrorId(-6205, [&] { write_s15Fixed16Number(b, -32768.00002); });
    dxStream s(dxStream::sourceBuffer);
    expectErrorId(-6228, [&] { write_s15Fixed16Number(s, 1e9); });
    const ByteVec min{0x80, 0, 0, 0}, tiny{0, 0, 0, 1};
    EXPECT_EQ(read_s15Fixed16Number(min.data()), -32768.0);
    EXPECT_EQ(read_s15Fixed16Number(tiny.data()), 1.0 / 65536.0);
}

TEST(IccNumbers, DateAndXYZ)
{
    dxStream s = streamOf(Bytes().u16(2024).u16(2).u16(29).u16(23).u16(59).u16(58).s15(0.9642).s15(1).s15(0.8249).b);
    unsigned long y, mo, d, h, mi, se;
    read_dateTimeNumber(&y, &mo, &d, &h, &mi, &se, s);
    EXPECT_EQ(y, 2024u);
    EXPECT_EQ(mo, 2u);
    EXPECT_EQ(d, 29u);
    EXPECT_EQ(h, 23u);
    EXPECT_EQ(mi, 59u);
    EXPECT_EQ(se, 58u);
    double X, Y, Z;
    read_XYZNumber(&X, &Y, &Z, s);
    EXPECT_NEAR(X, 0.9642, 1e-5);
    EXPECT_EQ(Y, 1.0);
    EXPECT_NEAR(Z, 0.8249, 1e-5);
    EXPECT_EQ(written([](dxStream& o) { write_XYZNumber(o, 1.0, -1.0, 0.5); }),
              (ByteVec{0, 1, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0x80, 0}));
    dxStream o(dxStream::sourceBuffer);
    EXPECT_EQ(expectErrorId(-6246, [&] { write_XYZNumber(o, 0, 40000.0, 0); }),
              line("write_s16Fixed16Number over limit", -6205) + line("write_XYZNumber error", -6246));
}

TEST(IccSignature, BigEndianFourCharacterCode)
{
    EXPECT_EQ(sig("acsp"), 0x61637370UL);
    Signature a(sig("acsp"));
    EXPECT_EQ(written([&](dxStream& s) { a.iccWrite(s); }), (ByteVec{'a', 'c', 's', 'p'}));
    dxStream s = streamOf({'m', 'n', 't', 'r'});
    Signature b;
    b.iccRead(s);
    EXPECT_EQ(b.get(), sig("mntr"));
    EXPECT_TRUE(a != b);
    // Whatever the stream's byte order.
    dxStream little(dxStream::sourceBuffer);
    little.setByteOrder(dxStream::littleEndian);
    write_uInt32Number(little, 0x01020304);
    EXPECT_EQ(bytesOf(little), (ByteVec{1, 2, 3, 4}));
}

TEST(IccAlignment, PadsAndSkipsToFour)
{
    dxStream s(dxStream::sourceBuffer);
    s.write_byte(ByteVec(13, 0xAA).data(), 13);
    EXPECT_EQ(writeFourByteAlignment(s), 16);
    EXPECT_EQ(s.getSize(), 16u);
    EXPECT_EQ(writeFourByteAlignment(s), 16);
    EXPECT_EQ(s.getSize(), 16u);
    EXPECT_EQ(bytesOf(s)[13], 0);
    writeReserved(s, 0);
    writeReserved(s, 5);
    EXPECT_EQ(s.getSize(), 21u);

    s.setPos(5, true);
    EXPECT_EQ(readFourByteAlignment(s), 8);
    EXPECT_EQ(readFourByteAlignment(s), 8);
    readReserved(s, 0);
    readReserved(s, 3);
    EXPECT_EQ(s.getPos(), 11);
    // A reserved count beyond the data is refused without reading anything.
    expectErrorId(-6606, [&] { readReserved(s, 0xFFFFFFF0UL); });
    EXPECT_EQ(s.getPos(), 11);
}

TEST(IccMatrixPack, NineOrTwelveValuesByVersion)
{
    MatrixPack m(iccV4);
    for (int i = 0; i < 9; ++i)
        m.matrix[i] = i * 0.5 - 2;
    m.offset[0] = 0.25;
    m.offset[1] = -0.5;
    m.offset[2] = 1;
    dxStream s(dxStream::sourceBuffer);
    m.iccWrite(s);
    EXPECT_EQ(s.getSize(), 48u);
    m.version = iccV2;
    m.iccWrite(s);
    EXPECT_EQ(s.getSize(), 84u);
    s.gotoBOF();
    MatrixPack r(iccV4);
    r.iccRead(s);
    EXPECT_EQ(s.getPos(), 48);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(r.matrix[i], i * 0.5 - 2);
    EXPECT_EQ(r.offset[1], -0.5);
    MatrixPack v2(iccV2);
    v2.iccRead(s);
    EXPECT_EQ(s.getPos(), 84);

    // A failed read keeps the elements read before it.
    dxStream shortStream = streamOf(Bytes().s15(3).s15(4).b);
    MatrixPack partial(iccV2);
    EXPECT_EQ(expectErrorId(-6609, [&] { partial.iccRead(shortStream); }),
              line("read_s15Fixed16Number error", -6227) + line("MatrixPack::iccRead error", -6609));
    EXPECT_EQ(partial.matrix[0], 3.0);
    EXPECT_EQ(partial.matrix[1], 4.0);
    EXPECT_EQ(partial.matrix[2], 0.0);
}

TEST(IccCLUT, ShapesStridesAndSizes)
{
    dxICC_CLUT a;
    a.init(false, 33, colorModeRGB, colorModeLab, 3, 3, iccV2);
    EXPECT_EQ(a.pointCount, 35937u);
    ASSERT_EQ(a.strides.size(), 2u);
    EXPECT_EQ(a.strides[0], 1089u);
    EXPECT_EQ(a.strides[1], 33u);
    EXPECT_EQ(a.stride0, 1089);
    EXPECT_EQ(a.getCLUTByteSize(), 215622u);
    EXPECT_EQ(a.data.size(), 215622u);
    EXPECT_EQ(a.getBytePerChannel(), 2);
    EXPECT_EQ(a.range[2][1], 1.0);

    dxICC_CLUT b;
    b.init(true, 17, colorModeCMYK, colorModeLab, 4, 3, iccV4);
    EXPECT_EQ(b.pointCount, 83521u);
    EXPECT_EQ(b.getCLUTByteSize(), 250563u);
    EXPECT_EQ(b.kernelKey, 4 * 32 + 3 * 2 + 0);
    EXPECT_EQ(b.cornerCount, 16);
    EXPECT_EQ(b.gather.maxIndex3, 16u);
    EXPECT_EQ(b.pointer.stride2, 17u);
    EXPECT_EQ(b.pointer.nodeCount, 83521u);

    dxICC_CLUT c;
    c.init(false, 9, colorModeRGB, colorModeCMYK, 3, 4, iccV4);
    EXPECT_EQ(c.kernelKey, 105);

    const unsigned long mixed[3] = {2, 3, 5};
    dxICC_CLUT d;
    d.init(true, mixed, colorModeGray, colorModeGray, 3, 1, iccV2);
    EXPECT_EQ(d.strides[0], 15u);
    EXPECT_EQ(d.strides[1], 5u);
    EXPECT_EQ(d.getGridCount(1), 3u);
    EXPECT_EQ(d.getGridCount(7), 0u);

    dxICC_CLUT one;
    one.init(false, 256 - 1, colorModeGray, colorModeLab, 1, 3, iccV2);
    EXPECT_EQ(one.pointCount, 255u);
    EXPECT_TRUE(one.strides.empty());
}

TEST(IccCLUT, InputRangesByColourSpace)
{
    dxICC_CLUT lab16, lab8, lab4, xyz;
    lab16.init(false, 2, colorModeLab, colorModeRGB, 3, 3, iccV2);
    lab8.init(true, 2, colorModeLab, colorModeRGB, 3, 3, iccV2);
    lab4.init(false, 2, colorModeLab, colorModeRGB, 3, 3, iccV4);
    xyz.init(false, 2, colorModeXYZ, colorModeRGB, 3, 3, iccV2);
    EXPECT_EQ(lab16.range[0][1], 100.0);
    EXPECT_EQ(lab16.range[1][0], -128.0);
    EXPECT_EQ(lab16.range[2][1], 127.99609375);
    EXPECT_EQ(lab8.range[2][1], 127.0);
    EXPECT_EQ(lab4.range[1][1], 127.0);
    EXPECT_EQ(xyz.range[1][1], 65535.0 / 32768.0);
    lab4.setRangeByChannel(0, 1, 2, 1);
    EXPECT_EQ(lab4.range[1][1], 127.0);
    lab4.setRangeByChannel(-1, 2, 1, 2);
    EXPECT_EQ(lab4.range[2][0], -1.0);
}

TEST(IccCLUT, SixteenBitValuesFollowTheStreamOrder)
{
    dxICC_CLUT t;
    t.init(false, 2, colorModeGray, colorModeGray, 1, 1, iccV2);
    dxStream s = streamOf({0x12, 0x34, 0xAB, 0xCD});
    t.iccRead(s);
    uint16_t v[2];
    std::memcpy(v, t.data.data(), 4);
    EXPECT_EQ(v[0], 0x1234);
    EXPECT_EQ(v[1], 0xABCD);
    dxStream out(dxStream::sourceBuffer);
    t.iccWrite(out);
    EXPECT_EQ(bytesOf(out), (ByteVec{0x12, 0x34, 0xAB, 0xCD}));

    // A copy interpolates its own grid.
    dxICC_CLUT copy(t);
    EXPECT_EQ(copy.interpData, copy.data.data());
    EXPECT_NE(copy.interpData, t.interpData);

    dxStream shortData = streamOf({0x12, 0x34, 0xAB});
    expectErrorId(-6801, [&] { t.iccRead(shortData); });
}

TEST(IccCLUT, ShapesThatAreNoTableAreRefused)
{
    const unsigned long zero[3] = {17, 0, 17};
    const unsigned long big[15] = {255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255};
    EXPECT_EQ(dxICC_CLUT::tableByteSize(false, zero, 3, 3), 0u);
    EXPECT_EQ(dxICC_CLUT::tableByteSize(false, big, 15, 15), 0u);
    EXPECT_EQ(dxICC_CLUT::tableByteSize(false, big, 0, 3), 0u);
    EXPECT_EQ(dxICC_CLUT::tableByteSize(false, big, 3, 0), 0u);
    EXPECT_EQ(dxICC_CLUT::tableByteSize(true, big, 3, 3), 255ULL * 255 * 255 * 3);
    dxICC_CLUT t;
    expectErrorId(-6802, [&] { t.init(false, big, colorModeRGB, colorModeLab, 15, 15, iccV2); });
    EXPECT_TRUE(t.data.empty());
    expectErrorId(-6802, [&] { t.init(false, 9UL, colorModeRGB, colorModeLab, 16, 3, iccV2); });
}
