#pragma once
// Byte builders for ICC elements and whole profiles, and helpers to check error records.
#include "foundation/exception.h"
#include "foundation/stream.h"
#include "icc/encodings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace icctest {

using vemora::dxStream;
using Byte = unsigned char;
using ByteVec = std::vector<Byte>;

inline unsigned long fourcc(const char* c)
{
    return (static_cast<unsigned long>(static_cast<Byte>(c[0])) << 24) |
           (static_cast<unsigned long>(static_cast<Byte>(c[1])) << 16) |
           (static_cast<unsigned long>(static_cast<Byte>(c[2])) << 8) | static_cast<Byte>(c[3]);
}

// Big-endian byte writer.
struct Bytes {
    ByteVec b;
    Bytes& u8(unsigned long v)
    {
        b.push_back(static_cast<Byte>(v));
        return *this;
    }
    Bytes& u16(unsigned long v) { return u8(v >> 8).u8(v); }
    Bytes& u32(unsigned long v) { return u16((v >> 16) & 0xFFFF).u16(v & 0xFFFF); }
    Bytes& sig(const char* c) { return u32(fourcc(c)); }
    Bytes& s15(double v) { return u32(static_cast<uint32_t>(static_cast<int32_t>(std::lround(v * 65536.0)))); }
    Bytes& zeros(std::size_t n)
    {
        b.insert(b.end(), n, 0);
        return *this;
    }
    Bytes& raw(const ByteVec& v)
    {
        b.insert(b.end(), v.begin(), v.end());
        return *this;
    }
    Bytes& text(const std::string& t)
    {
        b.insert(b.end(), t.begin(), t.end());
        return *this;
    }
    Bytes& pad4()
    {
        while (b.size() % 4)
            b.push_back(0);
        return *this;
    }
    // Element header: type signature and 4 reserved bytes.
    static Bytes element(const char* type)
    {
        Bytes e;
        e.sig(type).u32(0);
        return e;
    }
    std::size_t size() const { return b.size(); }
};

inline dxStream streamOf(const ByteVec& bytes)
{
    dxStream s(dxStream::sourceBuffer);
    if (!bytes.empty())
        s.write_byte(bytes.data(), static_cast<unsigned long>(bytes.size()));
    s.gotoBOF();
    return s;
}

inline ByteVec bytesOf(dxStream& s)
{
    const Byte* d = s.getBufferData();
    return ByteVec(d, d + s.getSize());
}

// A profile with the given header fields and elements, laid out in order, each aligned to 4.
struct ProfileBuilder {
    std::string profileClass = "mntr";
    std::string colorSpace = "RGB ";
    std::string pcs = "XYZ ";
    unsigned long version = 0x02100000;
    unsigned long intent = 0;
    struct Entry {
        std::string tag;
        ByteVec element;
        long shareWith = -1; // index of an earlier entry whose element this one points at
    };
    std::vector<Entry> entries;

    ProfileBuilder& add(const std::string& tag, const ByteVec& element)
    {
        entries.push_back({tag, element, -1});
        return *this;
    }
    ProfileBuilder& share(const std::string& tag, long index)
    {
        entries.push_back({tag, {}, index});
        return *this;
    }

    ByteVec build() const
    {
        Bytes h;
        h.u32(0).u32(0).u32(version).sig(profileClass.c_str()).sig(colorSpace.c_str()).sig(pcs.c_str());
        h.u16(2024).u16(5).u16(17).u16(10).u16(20).u16(30);
        h.sig("acsp").sig("APPL").u32(0).sig("none").u32(0).u32(0).u32(0).u32(intent);
        h.s15(0.9642).s15(1.0).s15(0.8249).sig("test");
        h.zeros(16 + 28);
        Bytes d;
        d.u32(static_cast<unsigned long>(entries.size()));
        std::size_t at = 128 + 4 + 12 * entries.size();
        Bytes data;
        std::vector<std::pair<std::size_t, std::size_t>> placed;
        for (const Entry& e : entries) {
            if (e.shareWith >= 0) {
                placed.push_back(placed[static_cast<std::size_t>(e.shareWith)]);
            } else {
                while ((at + data.size()) % 4)
                    data.u8(0);
                placed.emplace_back(at + data.size(), e.element.size());
                data.raw(e.element);
            }
        }
        for (std::size_t i = 0; i < entries.size(); ++i)
            d.sig(entries[i].tag.c_str()).u32(placed[i].first).u32(placed[i].second);
        ByteVec all = h.b;
        all.insert(all.end(), d.b.begin(), d.b.end());
        all.insert(all.end(), data.b.begin(), data.b.end());
        const auto n = static_cast<uint32_t>(all.size());
        all[0] = static_cast<Byte>(n >> 24);
        all[1] = static_cast<Byte>(n >> 16);
        all[2] = static_cast<Byte>(n >> 8);
        all[3] = static_cast<Byte>(n);
        return all;
    }
};

// Runs f, which must throw an error record with the given id; returns the console lines.
inline std::string expectErrorId(long id, const std::function<void()>& f)
{
    testing::internal::CaptureStdout();
    bool thrown = false;
    try {
        f();
    } catch (const vemora::ExceptionDebuggErrorID& e) {
        thrown = true;
        EXPECT_EQ(e.getId(), id) << e.getMessage();
    } catch (...) {
        thrown = true;
        ADD_FAILURE() << "not an error record";
    }
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(thrown) << "no error for id " << id;
    return out;
}

inline std::string line(const std::string& message, long id)
{
    return "Exception error: " + message + "  ID: " + std::to_string(id) + "\n";
}

} // namespace icctest
