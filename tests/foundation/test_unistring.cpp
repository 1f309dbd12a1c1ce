#include "foundation/stream.h"
#include "foundation/unistring.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

using namespace vemora;

namespace {

UniString units(std::initializer_list<unsigned short> u) { return UniString(std::vector<unsigned short>(u)); }

std::vector<unsigned char> written(const UniString& s, dxStream::ByteOrder order)
{
    dxStream out(dxStream::sourceBuffer);
    out.setByteOrder(order);
    s.write(out);
    return std::vector<unsigned char>(out.getBufferData(), out.getBufferData() + out.getSize());
}

TEST(UniString, NarrowAssignmentsSignOrZeroExtend)
{
    UniString a;
    a.assign("abc");
    EXPECT_EQ(a, units({0x61, 0x62, 0x63}));
    a.assign("\xE9");
    EXPECT_EQ(a, units({0xFFE9}));
    const unsigned char bytes[] = {'x', 0xE9, 'y'};
    a.assign(bytes, 1, 2);
    EXPECT_EQ(a, units({0x00E9, 0x79}));
    EXPECT_EQ(UniString::charLength("hello"), 5u);
}

TEST(UniString, AppendRepeatsAUnit)
{
    UniString a;
    a.assign("a");
    a.append(0x0020, 3);
    EXPECT_EQ(a, units({0x61, 0x20, 0x20, 0x20}));
}

TEST(UniString, BinaryFormInBothOrders)
{
    EXPECT_EQ(written(UniString(), dxStream::bigEndian), (std::vector<unsigned char>{0, 0, 0, 0}));
    UniString ab;
    ab.assign("ab");
    EXPECT_EQ(written(ab, dxStream::bigEndian), (std::vector<unsigned char>{0, 0, 0, 2, 0, 0x61, 0, 0x62}));
    EXPECT_EQ(written(ab, dxStream::littleEndian), (std::vector<unsigned char>{2, 0, 0, 0, 0x61, 0, 0x62, 0}));

    dxStream in(dxStream::sourceBuffer);
    in.setByteOrder(dxStream::littleEndian);
    const unsigned char le[] = {2, 0, 0, 0, 0x61, 0, 0x62, 0};
    in.write_byte(le, sizeof le);
    in.gotoBOF();
    UniString back;
    back.read(in);
    EXPECT_EQ(back, ab);
}

TEST(UniString, TruncatedReadFailsAndLeavesTheTarget)
{
    const std::vector<std::vector<unsigned char>> cases = {
        {0, 0, 0, 3, 0, 0x41},             // count larger than the units present
        {0, 0, 0},                         // count itself cut
        {0xFF, 0xFF, 0xFF, 0xFF, 0, 0x41}, // a count of billions must not be allocated
    };
    for (const auto& bytes : cases) {
        dxStream in(dxStream::sourceBuffer);
        in.write_byte(bytes.data(), bytes.size());
        in.gotoBOF();
        UniString target;
        target.assign("xy");
        try {
            target.read(in);
            ADD_FAILURE() << "read did not fail";
        } catch (const BasicUniStringException& e) {
            EXPECT_EQ(e.message, "BasicUniString::Read error");
        }
        EXPECT_EQ(target.toUTF8(), "xy");
    }
}

TEST(UniString, CountZeroEmptiesTheTarget)
{
    dxStream in(dxStream::sourceBuffer);
    in.write_Uint4(0);
    in.gotoBOF();
    UniString target;
    target.assign("xy");
    target.read(in);
    EXPECT_TRUE(target.empty());
}

TEST(UniString, WriteFailureIsWriteError)
{
    dxStream closed(dxStream::sourceFile);
    UniString ab;
    ab.assign("ab");
    testing::internal::CaptureStdout();
    try {
        ab.write(closed);
        FAIL();
    } catch (const BasicUniStringException& e) {
        EXPECT_EQ(e.message, "BasicUniString::Write error");
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Exception error: File no open  ID: -1181\n");
}

TEST(UniString, OrdersByUnsignedUnitsWithPrefixFirst)
{
    UniString ab, abc, B, a;
    ab.assign("ab");
    abc.assign("abc");
    B.assign("B");
    a.assign("a");
    EXPECT_LT(ab, abc);
    EXPECT_FALSE(abc < ab);
    EXPECT_LT(B, a);
    EXPECT_LT(units({0x00E9}), units({0xFF80}));
    std::set<UniString> ordered{abc, a, B, ab};
    EXPECT_EQ(ordered.begin()->toUTF8(), "B");
    EXPECT_NE(ab, abc);
}

TEST(UniString, Utf8RoundTripsKeepNonUtf8Bytes)
{
    const std::string cases[] = {"plain", "Gr\xC3\xBC\xC3\x9F" "e", "\xF0\x9F\x8E\xA8 art", "bad\xFF\xFE name",
                                 "\xC0\xAF overlong", "cut \xE2\x82"};
    for (const auto& c : cases)
        EXPECT_EQ(UniString::fromUTF8(c).toUTF8(), c);
    EXPECT_EQ(UniString::fromUTF8("\xC3\xA9"), units({0x00E9}));
    EXPECT_EQ(UniString::fromUTF8("\xF0\x9F\x8E\xA8"), units({0xD83C, 0xDFA8}));
    EXPECT_EQ(std::string(UniString::fromUTF8("x").c_str()), "x");
    EXPECT_EQ(std::string(UniString().c_str()), "");
}

TEST(MacUniString, EachGetCFStrIsANewStringOfTheCurrentUnits)
{
    MacUniString m;
    m.assign("one");
    const PlatformString* first = m.getCFStr();
    EXPECT_EQ(*first, "one");
    m.assign("two");
    const PlatformString* second = m.getCFStr();
    EXPECT_NE(first, second);
    EXPECT_EQ(*second, "two");
    m.clearCFStr();
}

TEST(DxString, LockedStringRefusesEveryUse)
{
    dxString s("text");
    char* lent = s.lend(16);
    ASSERT_TRUE(s.isLocked());
    testing::internal::CaptureStdout();
    EXPECT_THROW(s.str(), ExceptionDebuggErrorID);
    EXPECT_THROW(s.assign("x"), ExceptionDebuggErrorID);
    try {
        dxString copy(s);
        FAIL();
    } catch (const ExceptionDebuggErrorID& e) {
        EXPECT_EQ(e.getId(), -1001);
    }
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Exception error: dxString: Trying trouch locked dxString  ID: -1000\n"
                       "Exception error: dxString: Copy constructor error  ID: -1001\n"),
              std::string::npos);
    std::strcpy(lent, "changed");
    s.giveBack(true);
    EXPECT_EQ(s.str(), "changed");
    dxString copy(s);
    EXPECT_EQ(copy.str(), "changed");
    EXPECT_FALSE(copy.isLocked());
}

} // namespace
