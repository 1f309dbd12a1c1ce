#pragma once
// One AToB or BToA tag as an integer pipeline: curves as 4096-entry tables, the colour table as
// a 16-bit grid, the matrix in s15.16; stages that change nothing are skipped. Inside, every
// value is 16-bit; entry and exit translate to and from the engine's Lab and XYZ, version 2
// and version 4 Lab scales included.
#include "engine/clut_interpolator.h"
#include "engine/tone_curve.h"
#include "icc/encodings.h"
#include "icc/types/lut_types.h"

#include <vector>

namespace vemora::cms::vemICC::nsp_VCE {

class CLUTConverter {
public:
    enum ClutMode : int32_t {
        deviceClut8 = 1,
        deviceClut16 = 2,
        xyzClut = 3,
        labV2Clut8 = 4,
        labV4Clut8 = 5,
        labV2Clut16 = 6,
        labV4Clut16 = 7,
        finalDevice = 8,
        finalXYZ = 9,
        finalLabV2 = 10,
        finalLabV4 = 11,
    };
    enum ErrorCode : int32_t {
        noType = 0,
        notALut = 1,
        notALutTag = 2,
        curveWithoutType = 3,
        curveNotACurve = 4,
        effectCurveWithoutType = 5,
        effectCurveNotACurve = 6,
    };
    struct Exception {
        ErrorCode code;
    };

    CLUTConverter() = default;
    // The copy's interpolator reads the grid of the original, which must outlive it.
    CLUTConverter(const CLUTConverter&) = default;
    CLUTConverter& operator=(const CLUTConverter&) = default;

    bool setup(const Tag* tag);
    void matchA2B(VCEColor* c) const;
    void matchB2A(VCEColor* c) const;

    void setupLutType(const Tag* tag, const LutType& lut);
    void setupLutABType(const Tag* tag, const LutABType& lut);
    int32_t determineDirection(const Tag* tag) const;
    ClutMode getClutMode(ColorMode mode, long bytesPerChannel) const;
    ClutMode getFinalMode(ClutMode mode) const;
    void buildCLUT(CLUTInterpolator* interp, std::vector<unsigned char>* grid, const dxICC_CLUT& clut) const;
    static void buildMatrix(Fixed_Matrix33* m, int32_t* offset, const MatrixPack& pack);
    static bool isMatrixEffect(const MatrixPack& pack, Version version);
    static void buildCurveByABLut(std::vector<TRCurve>* curves, const CurveSet& list);
    static bool isABLutCurveHasEffect(const CurveSet& list);
    static void buildCurveByLut(std::vector<TRCurve>* curves, const std::vector<CurveTable>& tables);

    void processCurve(VCEColor* c, const std::vector<TRCurve>& curves) const;
    void processCLUT(VCEColor* c) const;
    void processMatrix(VCEColor* c) const;

    std::vector<TRCurve> curvesA, curvesB, curvesM;
    Fixed_Matrix33 matrix{};
    int32_t offset[3] = {0, 0, 0};
    CLUTInterpolator interpolator;
    std::vector<unsigned char> grid;
    bool hasA = false, hasB = false, hasM = false, hasMatrix = false, hasCLUT = false;
    int32_t direction = 0;
    ClutMode inMode = finalDevice, outMode = finalDevice;
    int32_t inChannels = 0, outChannels = 0;
    Version lutVersion = iccV2;
    bool ready = false;

private:
    void enter(VCEColor* c) const;
    void leave(VCEColor* c) const;
};

} // namespace vemora::cms::vemICC::nsp_VCE
