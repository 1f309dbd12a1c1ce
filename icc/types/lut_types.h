#pragma once
// Multidimensional table element types: 'mft1'/'mft2' (ICC.1:2010 10.8, 10.9) and
// 'mAB '/'mBA ' (10.10, 10.11).
#include "foundation/holders.h"
#include "icc/clut.h"
#include "icc/curve_table.h"
#include "icc/tags/tags.h"
#include "icc/types/icc_type.h"

#include <vector>

namespace vemora {
namespace cms {
namespace vemICC {

class LutType : public ICCType {
public:
    void write(dxStream& s) const override;
    void read(dxStream& s, long size, const Header* header) override;

    bool is8Bits() const { return typeSignature.get() == sig("mft1"); }
    bool isAtoB() const;
    bool isInputTableLinear() const { return isLinear(inputTables); }
    bool isOutputTableLinear() const { return isLinear(outputTables); }
    bool isLinear(const std::vector<CurveTable>& tables) const;
    bool isOneCurveLinear(const CurveTable& table) const;

    void readTable(std::vector<CurveTable>* tables, unsigned long channels, unsigned long entries, dxStream& s);
    void writeTable(dxStream& s, const std::vector<CurveTable>& tables) const;
    void internal_clone(LutType* to) const;

    PointerHolder<dxICC_CLUT> clut;
    std::vector<CurveTable> inputTables;
    std::vector<CurveTable> outputTables;
    MatrixPack matrix{iccV2};
    long inputEntries = 0;
    long outputEntries = 0;
    ColorMode inputMode = colorModeUndefined;
    ColorMode outputMode = colorModeUndefined;
    long inputChannels = 0;
    long outputChannels = 0;

protected:
    explicit LutType(const Signature& type) : ICCType(type) {}
};

class Lut8Type : public LutType {
public:
    Lut8Type() : LutType(sig("mft1")) {}
    ICCType* clone() const override;
};

class Lut16Type : public LutType {
public:
    Lut16Type() : LutType(sig("mft2")) {}
    ICCType* clone() const override;
};

using CurveSet = std::vector<CurveAbstractTag>;
using CurveSetHolder = PointerHolder<CurveSet>;

class LutABType : public ICCType {
public:
    void write(dxStream& s) const override;
    void read(dxStream& s, long size, const Header* header) override;

    bool isAtoB() const { return typeSignature.get() == sig("mAB "); }
    void getABCurve(const CurveSetHolder** a, const CurveSetHolder** b) const;
    void copyHolderCurve(CurveSetHolder* to, const CurveSetHolder& from) const;
    void internal_clone(LutABType* to) const;

    PointerHolder<dxICC_CLUT> clut;
    CurveSetHolder inputCurves;
    CurveSetHolder outputCurves;
    PointerHolder<MatrixPack> matrix;
    CurveSetHolder mCurves;
    ColorMode inputMode = colorModeUndefined;
    ColorMode outputMode = colorModeUndefined;
    long inputChannels = 0;
    long outputChannels = 0;

protected:
    explicit LutABType(const Signature& type) : ICCType(type) {}

private:
    void readCurves(CurveSetHolder* to, long count, dxStream& s);
    void writeCurves(dxStream& s, const CurveSetHolder& curves) const;
};

class LutAtoBType : public LutABType {
public:
    LutAtoBType() : LutABType(sig("mAB ")) {}
    ICCType* clone() const override;
};

class LutBtoAType : public LutABType {
public:
    LutBtoAType() : LutABType(sig("mBA ")) {}
    ICCType* clone() const override;
};

} // namespace vemICC
} // namespace cms
} // namespace vemora
