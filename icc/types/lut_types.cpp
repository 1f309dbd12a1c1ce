#include "icc/types/lut_types.h"

#include "icc/factories.h"
#include "icc/header.h"
#include "icc/types/curve_types.h"

#include <cmath>

namespace vemora {
namespace cms {
namespace vemICC {

namespace {

bool ownerIs(const Tag* owner, std::initializer_list<unsigned long> signatures)
{
    if (!owner)
        return false;
    for (unsigned long s : signatures)
        if (owner->getTagSignature().get() == s)
            return true;
    return false;
}

bool ownerIsGamut(const Tag* owner) { return ownerIs(owner, {sig("gamt")}); }

// Colour spaces of a table's inputs and outputs come from the header, not the element.
void tableModes(const Header* header, bool deviceToPCS, bool gamut, ColorMode* in, ColorMode* out)
{
    const ColorMode dcs = header ? header->getDCSColor() : colorModeUndefined;
    const ColorMode pcs = header ? header->getPCSColor() : colorModeUndefined;
    if (gamut) {
        *in = pcs;
        *out = colorModeGray;
    } else if (deviceToPCS) {
        *in = dcs;
        *out = pcs;
    } else {
        *in = pcs;
        *out = dcs;
    }
}

// The ICC format allows 1 to 15 channels on either side of a table; zero channels would leave
// nothing to interpolate and more would overrun the channel ranges of the colour table.
void requireChannels(long inputs, long outputs)
{
    if (inputs < 1 || inputs > dxICC_CLUT::maxChannels || outputs < 1 || outputs > dxICC_CLUT::maxChannels)
        throw BufferStream::Exception{0};
}

// Reads a colour table of the given shape after checking it fits in what is left.
PointerHolder<dxICC_CLUT> readCLUT(dxStream& s, bool is8, const unsigned long* grid, ColorMode in, ColorMode out,
                                   long inputs, long outputs, Version version, PointerHolder<dxICC_CLUT>* into)
{
    const unsigned long long bytes = dxICC_CLUT::tableByteSize(is8, grid, inputs, outputs);
    if (bytes == 0)
        throw BufferStream::Exception{0};
    requireBytes(s, bytes);
    into->allocate(new dxICC_CLUT(), true);
    (*into)->init(is8, grid, in, out, inputs, outputs, version);
    (*into)->iccRead(s);
    return *into;
}

} // namespace

// ---- LutType ('mft1', 'mft2') ----

bool LutType::isAtoB() const
{
    return ownerIs(owner, {sig("A2B0"), sig("A2B1"), sig("A2B2")});
}

bool LutType::isOneCurveLinear(const CurveTable& table) const
{
    return isCurveTableLinear(table);
}

bool LutType::isLinear(const std::vector<CurveTable>& tables) const
{
    for (const CurveTable& t : tables)
        if (!isOneCurveLinear(t))
            return false;
    return true;
}

void LutType::readTable(std::vector<CurveTable>* tables, unsigned long channels, unsigned long entries, dxStream& s)
{
    const unsigned long width = is8Bits() ? 1 : 2;
    requireBytes(s, 1ULL * channels * entries * width);
    std::vector<unsigned char> bytes(static_cast<std::size_t>(channels) * entries * width);
    if (!bytes.empty())
        s.read_byte(bytes.data(), static_cast<unsigned long>(bytes.size()));
    tables->assign(channels, CurveTable());
    const unsigned char* p = bytes.data();
    for (CurveTable& t : *tables) {
        t.values.resize(entries);
        for (double& v : t.values) {
            v = width == 1 ? *p / 255.0 : static_cast<double>(read_uInt16Number(p)) / 65535.0;
            p += width;
        }
        t.domainStart = 0.0;
        t.domainLength = 1.0;
    }
}

void LutType::writeTable(dxStream& s, const std::vector<CurveTable>& tables) const
{
    const bool eight = is8Bits();
    for (const CurveTable& t : tables) {
        for (double v : t.values) {
            const double scaled = v * (eight ? 255.0 : 65535.0) + 0.5;
            if (!(scaled >= 0.0))
                throw BufferStream::Exception{1};
            if (eight)
                write_uInt8Number(s, static_cast<unsigned long>(scaled));
            else
                write_uInt16Number(s, static_cast<unsigned long>(scaled));
        }
    }
}

void LutType::read(dxStream& s, long, const Header* header)
{
    runWrapped(-6611, "LutType::read error", [&] {
        tableModes(header, isAtoB(), ownerIsGamut(owner), &inputMode, &outputMode);
        inputChannels = static_cast<long>(read_uInt8Number(s));
        outputChannels = static_cast<long>(read_uInt8Number(s));
        const unsigned long gridPoints = read_uInt8Number(s);
        readReserved(s, 1);
        matrix.version = iccV2;
        matrix.iccRead(s);
        if (is8Bits()) {
            inputEntries = outputEntries = 256;
        } else {
            inputEntries = static_cast<long>(read_uInt16Number(s));
            outputEntries = static_cast<long>(read_uInt16Number(s));
        }
        requireChannels(inputChannels, outputChannels);
        // A table of fewer than two samples has no slope (ICC requires 2..4096).
        if (inputEntries < 2 || outputEntries < 2)
            throw BufferStream::Exception{0};
        unsigned long grid[dxICC_CLUT::maxChannels];
        for (unsigned long& g : grid)
            g = gridPoints;
        // The whole element must be there before the tables are made.
        const unsigned long long width = is8Bits() ? 1 : 2;
        const unsigned long long clutBytes = dxICC_CLUT::tableByteSize(is8Bits(), grid, inputChannels, outputChannels);
        if (clutBytes == 0)
            throw BufferStream::Exception{0};
        requireBytes(s, width * (static_cast<unsigned long long>(inputChannels) * inputEntries +
                                 static_cast<unsigned long long>(outputChannels) * outputEntries) +
                            clutBytes);

        readTable(&inputTables, static_cast<unsigned long>(inputChannels), static_cast<unsigned long>(inputEntries), s);
        readCLUT(s, is8Bits(), grid, inputMode, outputMode, inputChannels, outputChannels, iccV2, &clut);
        readTable(&outputTables, static_cast<unsigned long>(outputChannels), static_cast<unsigned long>(outputEntries),
                  s);
    });
}

void LutType::write(dxStream& s) const
{
    runWrapped(-6610, "LutType::write error", [&] {
        write_uInt8Number(s, static_cast<unsigned long>(inputChannels));
        write_uInt8Number(s, static_cast<unsigned long>(outputChannels));
        write_uInt8Number(s, clut.isNull() ? 0 : clut->getGridCount(0));
        writeReserved(s, 1);
        MatrixPack nine = matrix;
        nine.version = iccV2;
        nine.iccWrite(s);
        if (!is8Bits()) {
            write_uInt16Number(s, static_cast<unsigned long>(inputEntries));
            write_uInt16Number(s, static_cast<unsigned long>(outputEntries));
        }
        writeTable(s, inputTables);
        if (!clut.isNull())
            clut->iccWrite(s);
        writeTable(s, outputTables);
    });
}

void LutType::internal_clone(LutType* to) const
{
    if (!clut.isNull())
        to->clut.allocate(new dxICC_CLUT(*clut), true);
    else
        to->clut.dispose();
    to->inputTables = inputTables;
    to->outputTables = outputTables;
    to->matrix = matrix;
    to->inputEntries = inputEntries;
    to->outputEntries = outputEntries;
    to->inputMode = inputMode;
    to->outputMode = outputMode;
    to->inputChannels = inputChannels;
    to->outputChannels = outputChannels;
}

ICCType* Lut8Type::clone() const
{
    auto* copy = new Lut8Type();
    internal_clone(copy);
    return copy;
}

ICCType* Lut16Type::clone() const
{
    auto* copy = new Lut16Type();
    internal_clone(copy);
    return copy;
}

// ---- LutABType ('mAB ', 'mBA ') ----

void LutABType::getABCurve(const CurveSetHolder** a, const CurveSetHolder** b) const
{
    if (isAtoB()) {
        *a = &inputCurves;
        *b = &outputCurves;
    } else {
        *a = &outputCurves;
        *b = &inputCurves;
    }
}

void LutABType::copyHolderCurve(CurveSetHolder* to, const CurveSetHolder& from) const
{
    if (from.isNull()) {
        to->dispose();
        return;
    }
    auto* curves = new CurveSet(from->size());
    to->allocate(curves, true);
    for (std::size_t i = 0; i < from->size(); ++i) {
        (*curves)[i].setTagSignature((*from)[i].getTagSignature());
        (*curves)[i].allocateImp((*from)[i].cloneImp());
    }
}

void LutABType::internal_clone(LutABType* to) const
{
    if (!clut.isNull())
        to->clut.allocate(new dxICC_CLUT(*clut), true);
    else
        to->clut.dispose();
    copyHolderCurve(&to->inputCurves, inputCurves);
    copyHolderCurve(&to->outputCurves, outputCurves);
    copyHolderCurve(&to->mCurves, mCurves);
    if (!matrix.isNull())
        to->matrix.allocate(new MatrixPack(*matrix), true);
    else
        to->matrix.dispose();
    to->inputMode = inputMode;
    to->outputMode = outputMode;
    to->inputChannels = inputChannels;
    to->outputChannels = outputChannels;
}

void LutABType::readCurves(CurveSetHolder* to, long count, dxStream& s)
{
    to->allocate(new CurveSet(static_cast<std::size_t>(count)), true);
    for (CurveAbstractTag& curve : **to) {
        // A curve set holds 'curv' and 'para' elements. Another registered type (a nested
        // table above all, which could nest again) is refused before it is read; an
        // unregistered one leaves the curve without implementation, as for any nested element.
        readFourByteAlignment(s);
        unsigned char type[4];
        s.read_byte(type, 4);
        const unsigned long t = read_uInt32Number(type);
        if (t != sig("curv") && t != sig("para") && getICCTypeFactory().isRegistered(t))
            throw BufferStream::Exception{0};
        s.setPos(s.getPos() - 4, true);
        curve.iccRead(s, nullptr, nullptr);
    }
}

void LutABType::read(dxStream& s, long, const Header* header)
{
    runWrapped(-6634, "LutABType read error", [&] {
        const long long e = s.getPos() - 8;
        tableModes(header, isAtoB(), ownerIsGamut(owner), &inputMode, &outputMode);
        inputChannels = static_cast<long>(read_uInt8Number(s));
        outputChannels = static_cast<long>(read_uInt8Number(s));
        readReserved(s, 2);
        unsigned long offsetB = read_uInt32Number(s);
        unsigned long offsetMatrix = read_uInt32Number(s);
        unsigned long offsetM = read_uInt32Number(s);
        unsigned long offsetCLUT = read_uInt32Number(s);
        unsigned long offsetA = read_uInt32Number(s);
        requireChannels(inputChannels, outputChannels);

        const bool atob = isAtoB();
        const long countBM = atob ? outputChannels : inputChannels;
        const long countA = atob ? inputChannels : outputChannels;
        CurveSetHolder* curvesB = atob ? &outputCurves : &inputCurves;
        CurveSetHolder* curvesA = atob ? &inputCurves : &outputCurves;

        if (offsetB) {
            s.setPos(e + static_cast<long long>(offsetB), true);
            readCurves(curvesB, countBM, s);
        }
        if (offsetMatrix) {
            s.setPos(e + static_cast<long long>(offsetMatrix), true);
            matrix.allocate(new MatrixPack(iccV4), true);
            matrix->iccRead(s);
        }
        if (offsetM) {
            s.setPos(e + static_cast<long long>(offsetM), true);
            readCurves(&mCurves, countBM, s);
        }
        if (offsetCLUT) {
            s.setPos(e + static_cast<long long>(offsetCLUT), true);
            unsigned long grid[dxICC_CLUT::maxChannels];
            for (long i = 0; i < inputChannels; ++i)
                grid[i] = read_uInt8Number(s);
            readReserved(s, static_cast<unsigned long>(16 - inputChannels));
            const unsigned long precision = read_uInt8Number(s);
            readReserved(s, 3);
            readCLUT(s, precision == 1, grid, inputMode, outputMode, inputChannels, outputChannels, iccV4, &clut);
        }
        if (offsetA) {
            s.setPos(e + static_cast<long long>(offsetA), true);
            readCurves(curvesA, countA, s);
        }
    });
}

void LutABType::writeCurves(dxStream& s, const CurveSetHolder& curves) const
{
    for (const CurveAbstractTag& curve : *curves)
        curve.iccWrite(s);
}

void LutABType::write(dxStream& s) const
{
    runWrapped(-6633, "LutABType write error", [&] {
        const long long e = s.getPos() - 8;
        write_uInt8Number(s, static_cast<unsigned long>(inputChannels));
        write_uInt8Number(s, static_cast<unsigned long>(outputChannels));
        writeReserved(s, 2);
        const long long offsetsAt = s.getPos();
        writeReserved(s, 20);

        const CurveSetHolder* curvesA = nullptr;
        const CurveSetHolder* curvesB = nullptr;
        getABCurve(&curvesA, &curvesB);
        // Each part starts at the next multiple of 4; that position is its offset.
        auto part = [&](unsigned long* offset) { *offset = static_cast<unsigned long>(writeFourByteAlignment(s) - e); };
        unsigned long offsets[5] = {0, 0, 0, 0, 0}; // B, matrix, M, CLUT, A

        if (!curvesB->isNull() && !(*curvesB)->empty()) {
            part(&offsets[0]);
            writeCurves(s, *curvesB);
        }
        if (!matrix.isNull()) {
            part(&offsets[1]);
            MatrixPack twelve = *matrix;
            twelve.version = iccV4;
            twelve.iccWrite(s);
            if (!mCurves.isNull() && !mCurves->empty()) {
                part(&offsets[2]);
                writeCurves(s, mCurves);
            }
        }
        if (!clut.isNull()) {
            part(&offsets[3]);
            unsigned char grid[16] = {};
            for (long i = 0; i < clut->getConnectChannelCount() && i < 16; ++i) {
                const unsigned long g = clut->getGridCount(static_cast<unsigned long>(i));
                if (g > 255)
                    throw BufferStream::Exception{1};
                grid[i] = static_cast<unsigned char>(g);
            }
            s.write_byte(grid, 16);
            write_uInt8Number(s, clut->is8Bits() ? 1 : 2);
            writeReserved(s, 3);
            clut->iccWrite(s);
        }
        if (!curvesA->isNull() && !(*curvesA)->empty()) {
            part(&offsets[4]);
            writeCurves(s, *curvesA);
        }
        const long long end = s.getPos();
        s.setPos(offsetsAt, true);
        for (unsigned long o : offsets)
            write_uInt32Number(s, o);
        s.setPos(end, true);
    });
}

ICCType* LutAtoBType::clone() const
{
    auto* copy = new LutAtoBType();
    internal_clone(copy);
    return copy;
}

ICCType* LutBtoAType::clone() const
{
    auto* copy = new LutBtoAType();
    internal_clone(copy);
    return copy;
}

} // namespace vemICC
} // namespace cms
} // namespace vemora
