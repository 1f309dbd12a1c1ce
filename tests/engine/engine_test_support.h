#pragma once
// Builders of LUT elements and profiles for the engine's tests.
#include "engine/clut_converter.h"
#include "icc/profile.h"

#include "tests/icc/icc_test_support.h"

#include <memory>

namespace enginetest {

using namespace vemora;
using namespace vemora::cms::vemICC;
using namespace vemora::cms::vemICC::nsp_VCE;
using icctest::Bytes;
using icctest::ByteVec;
using icctest::ProfileBuilder;

// 'mft2'/'mft1' with identity tables of two entries and a 2-point grid whose nodes hold
// node(k, o) (16-bit) or its high byte (8-bit).
inline ByteVec lut(bool eight, int in, int out, const double* matrix, uint16_t (*node)(uint32_t, int))
{
    Bytes e = Bytes::element(eight ? "mft1" : "mft2");
    e.u8(in).u8(out).u8(2).u8(0);
    static const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    for (int i = 0; i < 9; ++i)
        e.s15((matrix ? matrix : identity)[i]);
    const int entries = eight ? 256 : 2;
    if (!eight)
        e.u16(entries).u16(entries);
    auto tables = [&](int channels) {
        for (int c = 0; c < channels; ++c)
            for (int k = 0; k < entries; ++k) {
                if (eight)
                    e.u8(k);
                else
                    e.u16(k ? 65535 : 0);
            }
    };
    tables(in);
    const uint32_t nodes = 1u << in;
    for (uint32_t k = 0; k < nodes; ++k)
        for (int o = 0; o < out; ++o) {
            if (eight)
                e.u8(node(k, o) >> 8);
            else
                e.u16(node(k, o));
        }
    tables(out);
    return e.b;
}

inline ByteVec gammaCurve(double g) { return Bytes::element("curv").u32(1).u16(static_cast<unsigned long>(g * 256)).pad4().b; }

struct Loaded {
    ICCProfile profile;
    CLUTConverter conv;
};

inline std::unique_ptr<Loaded> load(const char* space, const char* pcs, const char* tag, const ByteVec& element)
{
    ProfileBuilder b;
    b.profileClass = "prtr";
    b.colorSpace = space;
    b.pcs = pcs;
    b.add(tag, element);
    dxStream s = icctest::streamOf(b.build());
    auto l = std::make_unique<Loaded>();
    l->profile.read(s);
    EXPECT_TRUE(l->conv.setup(l->profile.getTagById(Signature(icctest::fourcc(tag)))));
    return l;
}

inline VCEColor color(uint32_t space, std::initializer_list<int> ch)
{
    VCEColor c{};
    c.colorSpace = space;
    int i = 0;
    for (int v : ch)
        c.channel[i++] = v;
    return c;
}

inline uint16_t cornerValue(uint32_t k, int o) { return static_cast<uint16_t>(((k >> (2 - o)) & 1) ? 65535 : 0); }


inline ICCProfile parseProfile(const ByteVec& bytes)
{
    dxStream s = icctest::streamOf(bytes);
    ICCProfile p;
    p.read(s);
    return p;
}

inline ByteVec xyzElement(double x, double y, double z)
{
    return Bytes::element("XYZ ").s15(x).s15(y).s15(z).b;
}

} // namespace enginetest
