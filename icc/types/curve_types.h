#pragma once
// One-dimensional curve element types: 'curv' (ICC.1:2010 10.5), 'para' (10.15) and the
// video-card gamma 'vcgt' of display profiles.
#include "icc/curve_table.h"
#include "icc/types/icc_type.h"

#include <vector>

namespace vemora {
namespace cms {
namespace vemICC {

class CurveType : public ICCType {
public:
    enum Kind : long { kindIdentity = 0, kindGamma = 1, kindTable = 2 };

    CurveType() : ICCType(sig("curv")) {}
    CurveType(const CurveType& o) : ICCType(o), kind(o.kind), gamma(o.gamma), points(o.points) {}
    void write(dxStream& s) const override;
    void read(dxStream& s, long size, const Header* header) override;
    void debugShow() const override;
    ICCType* clone() const override { return new CurveType(*this); }

    bool isLinear() const;

    long kind = kindIdentity;
    double gamma = 1.0;
    CurveTable points;
};

class ParameterCurveType : public ICCType {
public:
    ParameterCurveType() : ICCType(sig("para")), parameters(1, 1.0) {}
    ParameterCurveType(const ParameterCurveType& o) : ICCType(o), function(o.function), parameters(o.parameters) {}
    void write(dxStream& s) const override;
    void read(dxStream& s, long size, const Header* header) override;
    void debugShow() const override;
    ICCType* clone() const override { return new ParameterCurveType(*this); }

    static long getParamaterCountByFunction(long function);
    long getParameterCount() const { return getParamaterCountByFunction(function); }
    bool isLinear() const;

    long function = 0;
    // g, a, b, c, d, e, f as far as the function uses them.
    std::vector<double> parameters;
};

class VideoCardGammaType : public ICCType {
public:
    VideoCardGammaType();
    VideoCardGammaType(const VideoCardGammaType& o);
    void write(dxStream& s) const override;
    void read(dxStream& s, long size, const Header* header) override;
    ICCType* clone() const override { return new VideoCardGammaType(*this); }

    void setFormula(double gammaValue, double minimumValue, double maximumValue, unsigned long channel);
    static unsigned long getValueBound(unsigned long entrySize);

    long isFormula = 1;
    long entrySize = 2;
    std::vector<CurveTable> tables;
    double gamma[3];
    double minimum[3];
    double maximum[3];
};

} // namespace vemICC
} // namespace cms
} // namespace vemora
