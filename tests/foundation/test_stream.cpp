#include "foundation/stream.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>
#include <sys/xattr.h>

using namespace vemora;
using vgtest::TempDir;

namespace {

std::vector<unsigned char> bytesOf(dxStream& s)
{
    return std::vector<unsigned char>(s.getBufferData(), s.getBufferData() + s.getSize());
}

dxStream bufferWith(const std::vector<unsigned char>& bytes)
{
    dxStream s(dxStream::sourceBuffer);
    s.write_byte(bytes.data(), bytes.size());
    s.gotoBOF();
    return s;
}

template <class F>
int bufferCode(F f)
{
    try {
        f();
    } catch (const BufferStream::Exception& e) {
        return e.code;
    }
    return -1;
}

template <class F>
long streamError(F f)
{
    try {
        f();
    } catch (const ListerException<dxStream, ExceptionDebuggErrorID>&) {
        return 1;
    }
    return 0;
}

FileLocation locationOf(const std::filesystem::path& p)
{
    FSRef ref;
    EXPECT_TRUE(nsp_MacCarbonFile::getFSRefByPosixPath(&ref, p.string())) << p;
    return FileLocation(ref);
}

// Every typed write, in both byte orders: the table of layouts.
struct Layout {
    const char* what;
    void (*write)(dxStream&);
    std::vector<unsigned char> big;
    std::vector<unsigned char> little;
};

TEST(Stream, TypedWritesLayOutBytesInTheStreamOrder)
{
    const Layout table[] = {
        {"Uint2", [](dxStream& s) { s.write_Uint2(0x1234); }, {0x12, 0x34}, {0x34, 0x12}},
        {"Sint2", [](dxStream& s) { s.write_Sint2(-2); }, {0xFF, 0xFE}, {0xFE, 0xFF}},
        {"Uint4", [](dxStream& s) { s.write_Uint4(0x01020304); }, {1, 2, 3, 4}, {4, 3, 2, 1}},
        {"Sint4", [](dxStream& s) { s.write_Sint4(-3); }, {0xFF, 0xFF, 0xFF, 0xFD}, {0xFD, 0xFF, 0xFF, 0xFF}},
        {"Uint8", [](dxStream& s) { s.write_Uint8(0x0102030405060708ULL); }, {1, 2, 3, 4, 5, 6, 7, 8},
         {8, 7, 6, 5, 4, 3, 2, 1}},
        {"Real8", [](dxStream& s) { s.write_Real8(1.0); }, {0x3F, 0xF0, 0, 0, 0, 0, 0, 0},
         {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}},
        {"bool", [](dxStream& s) { s.write_bool(true); }, {1}, {1}},
    };
    for (const auto& row : table) {
        dxStream big(dxStream::sourceBuffer);
        row.write(big);
        EXPECT_EQ(bytesOf(big), row.big) << row.what;
        dxStream little(dxStream::sourceBuffer);
        little.setByteOrder(dxStream::littleEndian);
        row.write(little);
        EXPECT_EQ(bytesOf(little), row.little) << row.what;
    }
}

TEST(Stream, TypedReadsInvertTheLayouts)
{
    dxStream s = bufferWith({0x12, 0x34, 0xFF, 0xFE, 0x80, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0xFE, 2});
    unsigned short u2 = 0;
    short s2 = 0;
    unsigned long u4 = 0;
    long s4 = 0;
    bool b = false;
    s.read_Uint2(u2);
    s.read_Sint2(s2);
    s.read_Uint4(u4);
    s.read_Sint4(s4);
    s.read_bool(b);
    EXPECT_EQ(u2, 0x1234);
    EXPECT_EQ(s2, -2);
    EXPECT_EQ(u4, 0x80000001UL);
    EXPECT_EQ(s4, -2);
    EXPECT_TRUE(b) << "any non-zero byte is true";

    s.gotoBOF();
    s.setByteOrder(dxStream::littleEndian);
    s.read_Uint2(u2);
    EXPECT_EQ(u2, 0x3412);
    s.gotoBOF();
    s.setByteOrder(static_cast<dxStream::ByteOrder>(7)); // any non-zero order reads little-endian
    s.read_Uint2(u2);
    EXPECT_EQ(u2, 0x3412);

    dxStream r = bufferWith({0xC0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8});
    double d = 0;
    unsigned long long u8 = 0;
    r.read_Real8(d);
    r.read_Uint8(u8);
    EXPECT_EQ(d, -2.0);
    EXPECT_EQ(u8, 0x0102030405060708ULL);
}

TEST(Stream, FailedTypedReadLeavesItsTargetAndPosition)
{
    dxStream s = bufferWith({1, 2, 3});
    s.setPos(1, true);
    unsigned long v = 77;
    EXPECT_EQ(bufferCode([&] { s.read_Uint4(v); }), 0);
    EXPECT_EQ(v, 77u);
    EXPECT_EQ(s.getPos(), 1);
}

TEST(BufferStreamRules, EmptyBufferPositionsAndReads)
{
    dxStream s(dxStream::sourceBuffer);
    EXPECT_EQ(s.getSize(), 0u);
    EXPECT_EQ(s.getPos(), 0);
    unsigned char c;
    EXPECT_EQ(bufferCode([&] { s.read_Uint1(c); }), 0);
    EXPECT_EQ(bufferCode([&] { s.setPos(0, true); }), -1);
    EXPECT_EQ(bufferCode([&] { s.setPos(1, true); }), 1);
    EXPECT_EQ(bufferCode([&] { s.setPos(-1, true); }), 1);
    // A 64-bit offset is not cut to another 32-bit position.
    EXPECT_EQ(bufferCode([&] { s.setPos((1LL << 32), true); }), 1);
}

TEST(BufferStreamRules, WritingPastTheEndGrowsWithZerosAndSetSizeClampsThePosition)
{
    dxStream s = bufferWith({9, 9});
    s.setPos(2, true);
    const unsigned char four[4] = {1, 2, 3, 4};
    s.write_byte(four, 4);
    EXPECT_EQ(s.getSize(), 6u);
    EXPECT_EQ(s.getPos(), 6);

    BufferStream b;
    b.write_byte(four, 2);
    EXPECT_EQ(bufferCode([&] { b.setPos(5, false); }), 1) << "from the end: 2 - 5 is outside";
    EXPECT_EQ(b.getPos(), 2);
}

TEST(BufferStreamRules, SetPosReturnsThePreviousPosition)
{
    BufferStream b;
    const unsigned char z[8] = {};
    b.write_byte(z, 8);
    b.setPos(5, true);
    EXPECT_EQ(b.setPos(0, true), 5);
    EXPECT_EQ(b.setPos(3, false), 0) << "from the end";
    EXPECT_EQ(b.getPos(), 5);
    b.setSize(3);
    EXPECT_EQ(b.getPos(), 3);
    b.setSize(10);
    EXPECT_EQ(b.getSize(), 10u);
    EXPECT_EQ(b.data()[9], 0);
}

TEST(Stream, CopyCarriesBufferOrderAndLocationButNoErrors)
{
    dxStream s(dxStream::sourceBuffer);
    s.setByteOrder(dxStream::littleEndian);
    s.write_Uint2(0x0102);
    dxStream c(s);
    EXPECT_TRUE(c.isBuffering());
    EXPECT_EQ(c.getByteOrder(), dxStream::littleEndian);
    EXPECT_EQ(c.getPos(), 2);
    EXPECT_EQ(bytesOf(c), (std::vector<unsigned char>{2, 1}));
}

TEST(Stream, ReadBufferStreamCopiesIntoABufferAndRefusesOthers)
{
    dxStream src = bufferWith({1, 2, 3, 4, 5});
    src.setPos(1, true);
    dxStream dst(dxStream::sourceBuffer);
    src.read_bufferStream(&dst, 3);
    EXPECT_EQ(bytesOf(dst), (std::vector<unsigned char>{2, 3, 4}));
    EXPECT_EQ(src.getPos(), 4);
    EXPECT_EQ(dst.getPos(), 3);

    // A count beyond the data fails before anything is allocated or moved.
    EXPECT_EQ(bufferCode([&] { src.read_bufferStream(&dst, 0xFFFFFFFFUL); }), 0);
    EXPECT_EQ(src.getPos(), 4);

    dxStream file(dxStream::sourceFile);
    testing::internal::CaptureStdout();
    EXPECT_EQ(streamError([&] { src.read_bufferStream(&file, 1); }), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Exception error: Assign stream is not buffering  ID: -1194\n");
}

TEST(Stream, Buffer2ToUint2UsesTheStreamOrderWithoutMoving)
{
    dxStream s(dxStream::sourceBuffer);
    const unsigned char two[2] = {0x12, 0x34};
    unsigned short v = 0;
    s.buffer2_to_Uint2(two, &v);
    EXPECT_EQ(v, 0x1234);
    s.setByteOrder(dxStream::littleEndian);
    s.buffer2_to_Uint2(two, &v);
    EXPECT_EQ(v, 0x3412);
    EXPECT_EQ(s.getPos(), 0);
}

TEST(FileStream, EveryOperationOnAClosedStreamIsFileNoOpen)
{
    dxStream s(dxStream::sourceFile);
    unsigned char b[1];
    testing::internal::CaptureStdout();
    EXPECT_EQ(streamError([&] { s.getSize(); }), 1);
    EXPECT_EQ(streamError([&] { s.getPos(); }), 1);
    EXPECT_EQ(streamError([&] { s.setPos(0, true); }), 1);
    EXPECT_EQ(streamError([&] { s.read_byte(b, 1); }), 1);
    EXPECT_EQ(streamError([&] { s.write_Uint4(1); }), 1);
    EXPECT_EQ(streamError([&] { s.getFileLocation(); }), 1);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(s.getErrorList().size(), 6u);
    for (const auto& e : s.getErrorList()) {
        EXPECT_EQ(e.getId(), -1181);
        EXPECT_EQ(e.getMessage(), "File no open");
    }
    EXPECT_NE(out.find("Exception error: File no open  ID: -1181\n"), std::string::npos);
}

TEST(FileStream, WritesAndReadsAFileInBothOrders)
{
    TempDir dir;
    FSRef folder;
    ASSERT_TRUE(nsp_MacCarbonFile::getFSRefByPosixPath(&folder, dir.str()));
    const FileLocation loc(DirLocation(folder), UniString::fromUTF8("data.bin"), 0x54455854);
    {
        dxStream w(dxStream::sourceFile);
        ASSERT_TRUE(w.open(loc, dxStream::writePermission, true));
        EXPECT_EQ(w.getPos(), 0);
        w.write_Uint4(0xCAFEBABE);
        w.setByteOrder(dxStream::littleEndian);
        w.write_Uint2(0x1234);
        EXPECT_EQ(w.getSize(), 6u);
        EXPECT_EQ(w.getFileLocation().getFileName(), UniString::fromUTF8("data.bin"));
        w.close();
        EXPECT_FALSE(w.isOpened());
    }
    EXPECT_EQ(vgtest::readFile(dir / "data.bin"), (std::vector<unsigned char>{0xCA, 0xFE, 0xBA, 0xBE, 0x34, 0x12}));

    dxStream r(dxStream::sourceFile);
    ASSERT_TRUE(r.open(loc, dxStream::readPermission, false));
    unsigned long v = 0;
    r.read_Uint4(v);
    EXPECT_EQ(v, 0xCAFEBABEUL);
    EXPECT_EQ(r.setPos(0, true), 4);
    EXPECT_EQ(r.getPos(), 0);
}

TEST(FileStream, CreatedFileGetsTheCreatorAndTypeAndStartsAtZero)
{
    TempDir dir;
    FSRef folder;
    ASSERT_TRUE(nsp_MacCarbonFile::getFSRefByPosixPath(&folder, dir.str()));
    const FileLocation loc(DirLocation(folder), UniString::fromUTF8("new.pref"), 0x70726566);
    dxStream w(dxStream::sourceFile);
    ASSERT_TRUE(w.open(loc, dxStream::writePermission, true));
    EXPECT_EQ(w.getPos(), 0);
    EXPECT_EQ(w.getSize(), 0u);
    char code[8] = {};
    const std::string path = (dir / "new.pref").string();
    const ssize_t n = getxattr(path.c_str(), "user.creator", code, sizeof code);
    if (n < 0)
        GTEST_SKIP() << "this file system keeps no user attributes";
    EXPECT_EQ(std::string(code, n), "VMRX");
    char type[8] = {};
    const ssize_t t = getxattr(path.c_str(), "user.type", type, sizeof type);
    EXPECT_EQ(std::string(type, t > 0 ? t : 0), "pref");
}

TEST(FileStream, OpenRefusesWhenAlreadyOpenBufferingMissingOrInAMissingFolder)
{
    TempDir dir;
    vgtest::writeFile(dir / "a", {1, 2, 3});
    vgtest::writeFile(dir / "b", {4});
    dxStream s(dxStream::sourceFile);
    ASSERT_TRUE(s.open(locationOf(dir / "a"), dxStream::readPermission, false));
    unsigned char c = 0;
    s.read_Uint1(c);
    EXPECT_FALSE(s.open(locationOf(dir / "b"), dxStream::readPermission, false));
    EXPECT_EQ(s.getPos(), 1) << "the open file is untouched";
    EXPECT_EQ(s.getFileLocation(), locationOf(dir / "a"));

    dxStream buf(dxStream::sourceBuffer);
    EXPECT_FALSE(buf.open(locationOf(dir / "a"), dxStream::readPermission, true));

    FSRef folder;
    ASSERT_TRUE(nsp_MacCarbonFile::getFSRefByPosixPath(&folder, dir.str()));
    dxStream t(dxStream::sourceFile);
    EXPECT_FALSE(t.open(FileLocation(DirLocation(folder), UniString::fromUTF8("missing"), 0),
                        dxStream::readPermission, false));
    // A folder that no longer exists: nothing can be created in it.
    std::filesystem::create_directory(dir / "gone");
    FSRef goneRef;
    ASSERT_TRUE(nsp_MacCarbonFile::getFSRefByPosixPath(&goneRef, (dir / "gone").string()));
    const DirLocation gone(goneRef);
    std::filesystem::remove(dir / "gone");
    EXPECT_FALSE(t.open(FileLocation(gone, UniString::fromUTF8("x"), 0), dxStream::writePermission, true));
    EXPECT_FALSE(std::filesystem::exists(dir / "gone"));
}

TEST(FileStream, ReadingPastTheEndIsReadByteErrorAndKeepsPositionAndTarget)
{
    TempDir dir;
    vgtest::writeFile(dir / "six", {1, 2, 3, 4, 5, 6});
    dxStream s(dxStream::sourceFile);
    ASSERT_TRUE(s.open(locationOf(dir / "six"), dxStream::readPermission, false));
    unsigned long long v = 99;
    testing::internal::CaptureStdout();
    EXPECT_EQ(streamError([&] { s.read_Uint8(v); }), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Exception error: Read byte error  ID: -1121\n");
    EXPECT_EQ(v, 99u);
    EXPECT_EQ(s.getPos(), 0);
    // Beyond the end of a file opened for reading is no position.
    testing::internal::CaptureStdout();
    EXPECT_EQ(streamError([&] { s.setPos(7, true); }), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Exception error: Set position error from the file  ID: -1183\n");
    EXPECT_EQ(s.setPos(6, true), 0);
}

TEST(FileStream, NothingIsWrittenToAFileOpenedForReading)
{
    TempDir dir;
    vgtest::writeFile(dir / "ro", {1, 2});
    dxStream s(dxStream::sourceFile);
    ASSERT_TRUE(s.open(locationOf(dir / "ro"), dxStream::readPermission, false));
    testing::internal::CaptureStdout();
    EXPECT_EQ(streamError([&] { s.write_Uint2(0xFFFF); }), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Exception error: Write byte error  ID: -1120\n");
    s.close();
    EXPECT_EQ(vgtest::readFile(dir / "ro"), (std::vector<unsigned char>{1, 2}));
}

TEST(FileStream, FoldersAndSpecialFilesDoNotOpen)
{
    TempDir dir;
    std::filesystem::create_directory(dir / "sub");
    FSRef sub;
    ASSERT_TRUE(nsp_MacCarbonFile::getFSRefByPosixPath(&sub, (dir / "sub").string()));
    dxStream s(dxStream::sourceFile);
    EXPECT_FALSE(s.doOpen(sub, dxStream::readPermission));
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    FSRef fifo;
    ASSERT_TRUE(nsp_MacCarbonFile::getFSRefByPosixPath(&fifo, (dir / "fifo").string()));
    EXPECT_FALSE(s.doOpen(fifo, dxStream::readPermission)) << "a FIFO would block the reader";
    EXPECT_FALSE(s.isOpened());
}

TEST(FileStream, ClosedStreamReopensWithANewLocation)
{
    TempDir dir;
    vgtest::writeFile(dir / "a", {1});
    vgtest::writeFile(dir / "b", {2, 2});
    dxStream s(dxStream::sourceFile);
    ASSERT_TRUE(s.open(locationOf(dir / "a"), dxStream::readPermission, false));
    s.close();
    s.close(); // closing twice does nothing
    ASSERT_TRUE(s.open(locationOf(dir / "b"), dxStream::readPermission, false));
    EXPECT_EQ(s.getSize(), 2u);
    EXPECT_EQ(s.getFileLocation().getFileName(), UniString::fromUTF8("b"));
}

TEST(FileStream, AThrownCopyDoesNotCloseTheFile)
{
    TempDir dir;
    vgtest::writeFile(dir / "a", {1, 2});
    dxStream s(dxStream::sourceFile);
    ASSERT_TRUE(s.open(locationOf(dir / "a"), dxStream::readPermission, false));
    testing::internal::CaptureStdout();
    unsigned long v;
    EXPECT_EQ(streamError([&] { s.read_Uint4(v); }), 1);
    testing::internal::GetCapturedStdout();
    unsigned short u = 0;
    s.read_Uint2(u);
    EXPECT_EQ(u, 0x0102);
}

} // namespace
