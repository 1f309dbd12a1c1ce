#include "engine/clut_converter.h"

#include "icc/types/curve_types.h"

#include <cstring>

namespace vemora::cms::vemICC::nsp_VCE {

namespace {

// Grids are built aligned for 16-bit reads: the byte vector's storage comes from the allocator.
void store16(std::vector<unsigned char>* grid, std::size_t i, uint16_t v)
{
    std::memcpy(grid->data() + 2 * i, &v, 2);
}

} // namespace

bool CLUTConverter::setup(const Tag* tag)
{
    const ICCType* type = tag ? tag->getImplement() : nullptr;
    if (!type)
        throw Exception{noType};
    ready = false;
    const unsigned long s = type->getTypeSignature().get();
    if (s == sig("mAB ") || s == sig("mBA ")) {
        const auto* lut = dynamic_cast<const LutABType*>(type);
        if (!lut)
            throw Exception{notALut};
        lutVersion = iccV4;
        setupLutABType(tag, *lut);
    } else if (s == sig("mft1") || s == sig("mft2")) {
        const auto* lut = dynamic_cast<const LutType*>(type);
        if (!lut)
            throw Exception{notALut};
        lutVersion = iccV2;
        setupLutType(tag, *lut);
    } else {
        throw Exception{notALut};
    }
    inMode = getFinalMode(inMode);
    outMode = getFinalMode(outMode);
    ready = true;
    return true;
}

int32_t CLUTConverter::determineDirection(const Tag* tag) const
{
    const unsigned long s = tag->getTagSignature().get();
    if (s == sig("A2B0") || s == sig("A2B1") || s == sig("A2B2"))
        return 0;
    if (s == sig("B2A0") || s == sig("B2A1") || s == sig("B2A2"))
        return 1;
    throw Exception{notALutTag};
}

CLUTConverter::ClutMode CLUTConverter::getClutMode(ColorMode mode, long bytes) const
{
    if (mode == colorModeLab) {
        if (lutVersion == iccV2)
            return bytes == 1 ? labV2Clut8 : labV2Clut16;
        return bytes == 1 ? labV4Clut8 : labV4Clut16;
    }
    if (mode == colorModeXYZ)
        return xyzClut;
    return bytes == 1 ? deviceClut8 : deviceClut16;
}

CLUTConverter::ClutMode CLUTConverter::getFinalMode(ClutMode mode) const
{
    switch (mode) {
    case deviceClut8:
    case deviceClut16:
        return finalDevice;
    case xyzClut:
        return finalXYZ;
    case labV2Clut8:
    case labV2Clut16:
        return finalLabV2;
    default:
        return finalLabV4;
    }
}

void CLUTConverter::setupLutType(const Tag* tag, const LutType& lut)
{
    direction = determineDirection(tag);
    const long bytes = lut.is8Bits() ? 1 : 2;
    inMode = getClutMode(lut.inputMode, bytes);
    outMode = getClutMode(lut.outputMode, bytes);
    inChannels = static_cast<int32_t>(lut.inputChannels);
    outChannels = static_cast<int32_t>(lut.outputChannels);
    // A Lut8 or Lut16 always has a table; one missing (a reader refusing it) is no usable tag.
    if (lut.clut.isNull())
        throw Exception{notALut};
    hasCLUT = true;
    buildCLUT(&interpolator, &grid, *lut.clut);
    hasM = false;
    hasMatrix = isMatrixEffect(lut.matrix, iccV2);
    if (hasMatrix)
        buildMatrix(&matrix, offset, lut.matrix);
    const std::vector<CurveTable>& deviceSide = direction == 0 ? lut.inputTables : lut.outputTables;
    const std::vector<CurveTable>& pcsSide = direction == 0 ? lut.outputTables : lut.inputTables;
    hasA = !lut.isLinear(deviceSide);
    if (hasA)
        buildCurveByLut(&curvesA, deviceSide);
    hasB = !lut.isLinear(pcsSide);
    if (hasB)
        buildCurveByLut(&curvesB, pcsSide);
}

void CLUTConverter::setupLutABType(const Tag* tag, const LutABType& lut)
{
    direction = determineDirection(tag);
    inMode = getClutMode(lut.inputMode, 2);
    outMode = getClutMode(lut.outputMode, 2);
    inChannels = static_cast<int32_t>(lut.inputChannels);
    outChannels = static_cast<int32_t>(lut.outputChannels);
    hasCLUT = !lut.clut.isNull();
    if (hasCLUT)
        buildCLUT(&interpolator, &grid, *lut.clut);
    hasM = !lut.mCurves.isNull() && !lut.mCurves->empty() && isABLutCurveHasEffect(*lut.mCurves);
    if (hasM)
        buildCurveByABLut(&curvesM, *lut.mCurves);
    hasMatrix = !lut.matrix.isNull() && isMatrixEffect(*lut.matrix, iccV4);
    if (hasMatrix)
        buildMatrix(&matrix, offset, *lut.matrix);
    const CurveSetHolder* a = nullptr;
    const CurveSetHolder* b = nullptr;
    lut.getABCurve(&a, &b);
    hasA = !a->isNull() && !(*a)->empty() && isABLutCurveHasEffect(**a);
    if (hasA)
        buildCurveByABLut(&curvesA, **a);
    hasB = !b->isNull() && !(*b)->empty() && isABLutCurveHasEffect(**b);
    if (hasB)
        buildCurveByABLut(&curvesB, **b);
}

void CLUTConverter::buildCLUT(CLUTInterpolator* interp, std::vector<unsigned char>* out, const dxICC_CLUT& clut) const
{
    const std::size_t entries = clut.is8Bits() ? clut.data.size() : clut.data.size() / 2;
    out->assign(entries * 2, 0);
    if (clut.is8Bits()) {
        // A Lut8 Lab output is widened by 256, onto the version 2 16-bit scale; anything else by 257.
        const uint32_t scale = outMode == labV2Clut8 ? 256 : 257;
        for (std::size_t i = 0; i < entries; ++i)
            store16(out, i, static_cast<uint16_t>(clut.data[i] * scale));
    } else {
        std::memcpy(out->data(), clut.data.data(), entries * 2);
    }
    long points[dxICC_CLUT::maxChannels];
    const long inputs = clut.getConnectChannelCount();
    for (long k = 0; k < inputs && k < dxICC_CLUT::maxChannels; ++k)
        points[k] = static_cast<long>(clut.getGridCount(static_cast<unsigned long>(k)));
    // The reader has checked the shape; one that still cannot be interpolated is no usable tag.
    if (!interp->setup(out->data(), inputs, clut.getStoreChannelCount(), 2, points))
        throw Exception{notALut};
}

void CLUTConverter::buildMatrix(Fixed_Matrix33* m, int32_t* off, const MatrixPack& pack)
{
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            m->m[3 * j + i] = static_cast<int32_t>(getFixed(pack.matrix[3 * i + j]));
        off[i] = pack.version == iccV2 ? 0 : static_cast<int32_t>(getFixed(pack.offset[i]));
    }
}

bool CLUTConverter::isMatrixEffect(const MatrixPack& pack, Version version)
{
    if (pack.version != version)
        return true;
    for (int i = 0; i < 9; ++i)
        if (pack.matrix[i] != (i % 4 == 0 ? 1.0 : 0.0))
            return true;
    return pack.offset[0] != 0.0 || pack.offset[1] != 0.0 || pack.offset[2] != 0.0;
}

void CLUTConverter::buildCurveByABLut(std::vector<TRCurve>* curves, const CurveSet& list)
{
    curves->assign(list.size(), TRCurve());
    for (std::size_t i = 0; i < list.size(); ++i) {
        TRCurve& c = (*curves)[i];
        c.prepare(12);
        const ICCType* type = list[i].getImplement();
        if (!type)
            throw Exception{curveWithoutType};
        const unsigned long s = type->getTypeSignature().get();
        if (s == sig("curv") && dynamic_cast<const CurveType*>(type))
            getTRCurveByCurveType(&c, nullptr, *static_cast<const CurveType*>(type));
        else if (s == sig("para") && dynamic_cast<const ParameterCurveType*>(type)) {
            const auto* p = static_cast<const ParameterCurveType*>(type);
            getTRCurveByParameterCurve(&c, nullptr, p->function, p->parameters);
        } else
            throw Exception{curveNotACurve};
    }
}

bool CLUTConverter::isABLutCurveHasEffect(const CurveSet& list)
{
    for (const auto& tag : list) {
        const ICCType* type = tag.getImplement();
        if (!type)
            throw Exception{effectCurveWithoutType};
        const unsigned long s = type->getTypeSignature().get();
        bool linear;
        if (s == sig("curv") && dynamic_cast<const CurveType*>(type))
            linear = static_cast<const CurveType*>(type)->isLinear();
        else if (s == sig("para") && dynamic_cast<const ParameterCurveType*>(type))
            linear = static_cast<const ParameterCurveType*>(type)->isLinear();
        else
            throw Exception{effectCurveNotACurve};
        if (!linear)
            return true;
    }
    return false;
}

void CLUTConverter::buildCurveByLut(std::vector<TRCurve>* curves, const std::vector<CurveTable>& tables)
{
    curves->assign(tables.size(), TRCurve());
    for (std::size_t i = 0; i < tables.size(); ++i) {
        (*curves)[i].prepare(12);
        getTRCurveByCurveTable(&(*curves)[i], nullptr, tables[i]);
    }
}

void CLUTConverter::enter(VCEColor* c) const
{
    switch (inMode) {
    case finalXYZ:
        if (c->colorSpace == kLabSpace)
            VCELab_to_VCEXYZ(*c, c);
        for (int i = 0; i < 3; ++i)
            c->channel[i] = static_cast<int32_t>(clipDomain(static_cast<long>(c->channel[i] >> 1), 0, 65535L));
        break;
    case finalLabV2:
        if (c->colorSpace == kXYZSpace)
            VCEXYZ_to_VCELab(*c, c);
        c->channel[0] = static_cast<int32_t>(v4_to_v2(static_cast<unsigned long>(c->channel[0])));
        break;
    case finalLabV4:
        if (c->colorSpace == kXYZSpace)
            VCEXYZ_to_VCELab(*c, c);
        c->channel[1] = static_cast<int32_t>(v2_to_v4(static_cast<unsigned long>(c->channel[1])));
        c->channel[2] = static_cast<int32_t>(v2_to_v4(static_cast<unsigned long>(c->channel[2])));
        break;
    default:
        // Device values outside 0 … 65535 (never produced by the engine) would index past
        // the curve tables.
        for (int i = 0; i < inChannels && i < 15; ++i)
            c->channel[i] = static_cast<int32_t>(clipDomain(static_cast<long>(c->channel[i]), 0, 65535L));
        break;
    }
}

void CLUTConverter::leave(VCEColor* c) const
{
    switch (outMode) {
    case finalXYZ:
        for (int i = 0; i < 3; ++i)
            c->channel[i] <<= 1;
        c->colorSpace = kXYZSpace;
        break;
    case finalLabV2:
        c->channel[0] = static_cast<int32_t>(v2_to_v4(static_cast<unsigned long>(c->channel[0])));
        c->colorSpace = kLabSpace;
        break;
    case finalLabV4:
        c->channel[1] = static_cast<int32_t>(v4_to_v2(static_cast<unsigned long>(c->channel[1])));
        c->channel[2] = static_cast<int32_t>(v4_to_v2(static_cast<unsigned long>(c->channel[2])));
        c->colorSpace = kLabSpace;
        break;
    default:
        c->colorSpace = kDevcSpace;
        break;
    }
}

void CLUTConverter::processCurve(VCEColor* c, const std::vector<TRCurve>& curves) const
{
    const std::size_t n = curves.size() < 15 ? curves.size() : 15;
    for (std::size_t i = 0; i < n; ++i)
        c->channel[i] = static_cast<int32_t>(curves[i].table[static_cast<uint32_t>(c->channel[i]) >> 4]);
}

void CLUTConverter::processCLUT(VCEColor* c) const
{
    // + 1 so that 65535 reaches the last grid node exactly.
    for (int i = 0; i < inChannels && i < 15; ++i)
        c->channel[i] += 1;
    interpolator.interpolate(c, *c);
}

void CLUTConverter::processMatrix(VCEColor* c) const
{
    long out[3];
    for (int i = 0; i < 3; ++i) {
        long v = offset[i];
        for (int j = 0; j < 3; ++j)
            v += fixedMul(c->channel[j], matrix.m[3 * j + i]);
        out[i] = clipDomain(v, 0, 65535L);
    }
    for (int i = 0; i < 3; ++i)
        c->channel[i] = static_cast<int32_t>(out[i]);
}

void CLUTConverter::matchA2B(VCEColor* c) const
{
    enter(c);
    if (lutVersion == iccV2) {
        if (hasMatrix && inMode == finalXYZ)
            processMatrix(c);
        if (hasA)
            processCurve(c, curvesA);
        if (hasCLUT)
            processCLUT(c);
        if (hasB)
            processCurve(c, curvesB);
    } else {
        if (hasA)
            processCurve(c, curvesA);
        if (hasCLUT)
            processCLUT(c);
        if (hasM)
            processCurve(c, curvesM);
        if (hasMatrix)
            processMatrix(c);
        if (hasB)
            processCurve(c, curvesB);
    }
    leave(c);
}

void CLUTConverter::matchB2A(VCEColor* c) const
{
    enter(c);
    if (lutVersion == iccV2) {
        if (hasMatrix && inMode == finalXYZ)
            processMatrix(c);
        if (hasB)
            processCurve(c, curvesB);
        if (hasCLUT)
            processCLUT(c);
        if (hasA)
            processCurve(c, curvesA);
    } else {
        if (hasB)
            processCurve(c, curvesB);
        if (hasMatrix)
            processMatrix(c);
        if (hasM)
            processCurve(c, curvesM);
        if (hasCLUT)
            processCLUT(c);
        if (hasA)
            processCurve(c, curvesA);
    }
    leave(c);
}

} // namespace vemora::cms::vemICC::nsp_VCE
