#include "foundation/exception.h"
#include "foundation/factory.h"
#include "foundation/holders.h"
#include "foundation/singleton.h"
#include "foundation/stream.h"
#include "foundation/vertex.h"

#include <gtest/gtest.h>

using namespace vemora;

namespace {

struct Counted {
    static int live;
    static int destroyed;
    Counted() { ++live; }
    ~Counted()
    {
        --live;
        ++destroyed;
    }
};
int Counted::live = 0;
int Counted::destroyed = 0;

class HolderTest : public ::testing::Test {
protected:
    void SetUp() override { Counted::live = Counted::destroyed = 0; }
};

TEST_F(HolderTest, SharedObjectIsDestroyedOnceAtTheLastHolder)
{
    {
        PointerHolder<Counted> a(new Counted);
        {
            PointerHolder<Counted> b(a);
            PointerHolder<Counted> c;
            c = b;
            EXPECT_EQ(a.getUseCount(), 3);
            EXPECT_EQ(c.get(), a.get());
        }
        EXPECT_EQ(Counted::destroyed, 0);
        EXPECT_EQ(a.getUseCount(), 1);
    }
    EXPECT_EQ(Counted::destroyed, 1);
    EXPECT_EQ(Counted::live, 0);
}

TEST_F(HolderTest, NonOwningHolderNeverDestroys)
{
    Counted local;
    {
        PointerHolder<Counted> a;
        a.allocate(&local, false);
        PointerHolder<Counted> b(a);
        EXPECT_FALSE(b.isOwner());
    }
    EXPECT_EQ(Counted::destroyed, 0);
}

TEST_F(HolderTest, SelfAssignmentChangesNothing)
{
    PointerHolder<Counted> a(new Counted);
    PointerHolder<Counted>& alias = a;
    a = alias;
    EXPECT_EQ(a.getUseCount(), 1);
    EXPECT_NE(a.get(), nullptr);
    EXPECT_EQ(Counted::destroyed, 0);
}

TEST_F(HolderTest, ExplicitDisposeThenDestructionReleasesOneShareOnly)
{
    PointerHolder<Counted> keeper(new Counted);
    {
        PointerHolder<Counted> other(keeper);
        other.dispose();
        EXPECT_TRUE(other.isNull());
        EXPECT_EQ(keeper.getUseCount(), 1);
    } // the destructor of `other` must not release the share a second time
    EXPECT_EQ(Counted::destroyed, 0);
    EXPECT_EQ(keeper.getUseCount(), 1);
}

TEST_F(HolderTest, ReassignmentReleasesThePreviousObject)
{
    PointerHolder<Counted> a(new Counted);
    PointerHolder<Counted> b(new Counted);
    a = b;
    EXPECT_EQ(Counted::destroyed, 1);
    a.allocate(new Counted, true);
    EXPECT_EQ(Counted::destroyed, 1);
    EXPECT_EQ(b.getUseCount(), 1);
}

TEST_F(HolderTest, ArrayPolicyDeletesTheArray)
{
    {
        PointerHolder<Counted, ArrayPtrPolicy<Counted>> a(new Counted[3]);
        EXPECT_EQ(Counted::live, 3);
    }
    EXPECT_EQ(Counted::live, 0);
}

struct HandlePolicy {
    static int released;
    static void release(int) { ++released; }
};
int HandlePolicy::released = 0;

TEST(ObjectHolder, ReleasesANonNullHandleOnceAtTheLastHolder)
{
    HandlePolicy::released = 0;
    {
        ObjectHolder<int, HandlePolicy> a(42);
        ObjectHolder<int, HandlePolicy> b(a);
        ObjectHolder<int, HandlePolicy> c;
        c = a;
        EXPECT_EQ(c.getUseCount(), 3);
        EXPECT_EQ(c.get(), 42);
    }
    EXPECT_EQ(HandlePolicy::released, 1);
    {
        ObjectHolder<int, HandlePolicy> nullHandle(0);
    }
    EXPECT_EQ(HandlePolicy::released, 1);
}

struct SingletonValue {
    static int made;
    SingletonValue() { ++made; }
    int value = 7;
};
int SingletonValue::made = 0;

TEST(Singleton, CreatedByTheFirstGuardAndLivesUntilDestory)
{
    using S = dxSingleton<SingletonValue, 9, false>;
    EXPECT_EQ(S::ptr(), nullptr);
    {
        S guard;
        S second;
        EXPECT_EQ(SingletonValue::made, 1);
        EXPECT_EQ(S::ref().value, 7);
        EXPECT_EQ(S::counter_, 2);
    }
    ASSERT_NE(S::ptr(), nullptr) << "the instance survives its last guard";
    S::destory();
    EXPECT_EQ(S::ptr(), nullptr);
    S again;
    EXPECT_EQ(SingletonValue::made, 2);
    S::destory();
}

TEST(Singleton, InstantiationsWithDifferentNumbersAreSeparate)
{
    dxSingleton<SingletonValue, 10, false> a;
    EXPECT_EQ((dxSingleton<SingletonValue, 11, false>::ptr()), nullptr);
    dxSingleton<SingletonValue, 10, false>::destory();
}

struct Shape {
    virtual ~Shape() = default;
    virtual int sides() const = 0;
};
struct Tri : Shape {
    int sides() const override { return 3; }
};
Shape* makeTri() { return new Tri; }

TEST(Factory, CreatesByKeyAndRefusesUnknownAndDuplicateKeys)
{
    Factory<Shape, unsigned long, Shape* (*)()> f;
    EXPECT_TRUE(f.registerCreator(0x74726920, makeTri));
    EXPECT_FALSE(f.registerCreator(0x74726920, makeTri));
    std::unique_ptr<Shape> s(f.createObject(0x74726920));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->sides(), 3);
    EXPECT_EQ(f.createObject(0x73717220), nullptr);
    EXPECT_TRUE(f.unregisterCreator(0x74726920));
    EXPECT_FALSE(f.isRegistered(0x74726920));
}

TEST(ErrorRecord, PrintsItsConsoleLineWhenCreated)
{
    testing::internal::CaptureStdout();
    ExceptionDebuggErrorID e(-6700, "Read Profile error");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Exception error: Read Profile error  ID: -6700\n");
    EXPECT_EQ(e.getId(), -6700);
    EXPECT_EQ(e.getMessage(), "Read Profile error");
}

// Layered reporting: each layer catches everything and throws its own record.
void innerLayer() { throw ExceptionDebuggErrorID(-1121, "Read byte error"); }
void middleLayer()
{
    try {
        innerLayer();
    } catch (...) {
        throw ExceptionDebuggErrorID(-7801, "FileLocation reading error");
    }
}

TEST(ErrorRecord, ChainPrintsOneLinePerLayerInnermostFirst)
{
    testing::internal::CaptureStdout();
    try {
        middleLayer();
        FAIL();
    } catch (const ExceptionBase& base) {
        const auto& e = static_cast<const ExceptionDebuggErrorID&>(base);
        EXPECT_EQ(e.getId(), -7801);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Exception error: Read byte error  ID: -1121\n"
              "Exception error: FileLocation reading error  ID: -7801\n");
}

TEST(ListerException, KeepsTheRecordOnTheRaisingObjectAndThrowsAnEmptyCopy)
{
    dxStream s(dxStream::sourceFile);
    testing::internal::CaptureStdout();
    try {
        s.getSize();
        FAIL();
    } catch (const ListerException<dxStream, ExceptionDebuggErrorID>& thrown) {
        EXPECT_TRUE(thrown.getErrorList().empty());
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Exception error: File no open  ID: -1181\n");
    ASSERT_EQ(s.getErrorList().size(), 1u);
    EXPECT_EQ(s.getErrorList().front().getId(), -1181);
}

TEST(Vertex, WritesBothDoublesBigEndianAndReadsThemBack)
{
    dxStream s(dxStream::sourceBuffer);
    Vertex2(1.5, -2).write(s);
    const unsigned char expected[16] = {0x3F, 0xF8, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(s.getSize(), 16u);
    EXPECT_EQ(0, memcmp(s.getBufferData(), expected, 16));
    s.gotoBOF();
    dxPoint p;
    p.read(s);
    EXPECT_EQ(p, Vertex2(1.5, -2));
}

TEST(Vertex, TruncatedReadFailsWithItsRecordAndKeepsTheValue)
{
    dxStream s(dxStream::sourceBuffer);
    s.write_Real8(3.0);
    s.gotoBOF();
    Vertex2 v(9, 9);
    testing::internal::CaptureStdout();
    try {
        v.read(s);
        FAIL();
    } catch (const ExceptionDebuggErrorID& e) {
        EXPECT_EQ(e.getId(), -5501);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Exception error: Vertex2 read error  ID: -5501\n");
    EXPECT_EQ(v, Vertex2(9, 9));
}

TEST(Coordinate2D, ConvertsBetweenFrames)
{
    Coordinate2D from(Vertex2(0, 0), 2, 2);
    Coordinate2D to(Vertex2(100, 50), 1, 1);
    EXPECT_EQ(to.convert_from(Vertex2(10, 10), from), Vertex2(105, 55));
}

} // namespace
