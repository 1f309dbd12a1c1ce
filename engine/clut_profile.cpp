#include "engine/clut_profile.h"

#include "icc/profile.h"
#include "icc/types/basic_types.h"

namespace vemora::cms::vemICC::nsp_VCE {

bool CLUTProfile::setupCLUT(CLUTConverter* conv, const Tag* tag)
{
    if (!tag || !tag->getImplement())
        return false;
    try {
        return conv->setup(tag) && conv->ready;
    } catch (...) {
        return false;
    }
}

void CLUTProfile::dispatchCLUT(CLUTConverter* c0, CLUTConverter* c1, CLUTConverter* c2)
{
    if (c0->ready && c1->ready && c2->ready)
        return;
    if (c0->ready) {
        if (!c1->ready)
            *c1 = *c0;
        if (!c2->ready)
            *c2 = *c0;
    } else if (c1->ready) {
        *c0 = *c1;
        if (!c2->ready)
            *c2 = *c1;
    } else if (c2->ready) {
        *c0 = *c2;
        *c1 = *c2;
    }
}

void CLUTProfile::determineMatchMode()
{
    inputAccept = outputAccept = 0;
    if (hasA2B) {
        inputAccept = converters[0].inMode == CLUTConverter::finalDevice ? 1 : 2;
        outputAccept = converters[0].outMode == CLUTConverter::finalDevice ? 1 : 2;
    }
    if (hasB2A) {
        const bool inDevice = converters[3].inMode == CLUTConverter::finalDevice;
        const bool outDevice = converters[3].outMode == CLUTConverter::finalDevice;
        inputAccept = inDevice ? (inputAccept == 2 ? 3 : 1) : (inputAccept == 1 ? 3 : 2);
        outputAccept = outDevice ? (outputAccept == 2 ? 3 : 1) : (outputAccept == 1 ? 3 : 2);
    }
}

void CLUTProfile::calcMediaWhite(int32_t* scale, int32_t* inv, const double* w)
{
    double s[3] = {1, 1, 1}, i[3] = {1, 1, 1};
    if (w[0] != kD50[0] || w[1] != kD50[1] || w[2] != kD50[2]) {
        for (int k = 0; k < 3; ++k) {
            s[k] = w[k] / kD50[k];
            i[k] = 1.0 / s[k];
        }
    }
    // A zero or absurd white (a hostile tag) saturates instead of reaching an undefined conversion.
    auto fixed = [](double v) -> int32_t {
        const double f = v * 65536.0;
        return !(f == f) ? 65536 : f >= 2147483647.0 ? INT32_MAX : f <= -2147483648.0 ? INT32_MIN : static_cast<int32_t>(f);
    };
    for (int k = 0; k < 3; ++k) {
        scale[k] = fixed(s[k]);
        inv[k] = fixed(i[k]);
    }
}

void CLUTProfile::prepareAbsolute(const ICCProfile& p)
{
    double w[3] = {kD50[0], kD50[1], kD50[2]};
    const Tag* t = hasPCSMediaWhite(p.header) ? nullptr : p.getTagById(Signature(sig("wtpt")));
    if (t) {
        const ICCType* type = t->getImplement();
        if (type && type->getTypeSignature().get() == sig("XYZ "))
            if (const auto* x = dynamic_cast<const XYZType*>(type)) {
                w[0] = x->X;
                w[1] = x->Y;
                w[2] = x->Z;
            }
    }
    calcMediaWhite(wtptScale, wtptInvScale, w);
    if (const Tag* t = p.getTagById(Signature(sig("chad")))) {
        const ICCType* type = t->getImplement();
        const auto* arr = type && type->getTypeSignature().get() == sig("sf32") ? dynamic_cast<const S15Fixed16ArrayType*>(type) : nullptr;
        if (arr && arr->values.size() > 8) {
            const std::vector<double>& v = arr->values;
            Matrix33 mc(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]), mci;
            Matrix_Inverse(mci, mc);
            D3_Vertex_hmup_Matrix(w, kD50, mci);
        }
    }
    calcMediaWhite(chadScale, chadInvScale, w);
}

void CLUTProfile::setProfile(const ICCProfile& p)
{
    static const unsigned long tags[6] = {sig("A2B0"), sig("A2B1"), sig("A2B2"), sig("B2A0"), sig("B2A1"), sig("B2A2")};
    bool ready[6];
    for (int i = 0; i < 6; ++i)
        ready[i] = setupCLUT(&converters[i], p.getTagById(Signature(tags[i])));
    hasA2B = ready[0] || ready[1] || ready[2];
    hasB2A = ready[3] || ready[4] || ready[5];
    if (!hasA2B && !hasB2A)
        throw Exception(6);
    if (hasA2B)
        dispatchCLUT(&converters[0], &converters[1], &converters[2]);
    if (hasB2A)
        dispatchCLUT(&converters[3], &converters[4], &converters[5]);
    determineMatchMode();
    prepareAbsolute(p);
    setIntent(p.header.getDefaultIntent());
    if (hasA2B) {
        aChannel = converters[0].inChannels;
        bChannel = converters[0].outChannels;
    } else {
        bChannel = converters[3].inChannels;
        aChannel = converters[3].outChannels;
    }
    setMediaWhiteByChromaticAdaptation(false);
    dcsColor = p.header.getDCSColor();
    pcsColor = p.header.getPCSColor();
}

void CLUTProfile::setMediaWhiteByChromaticAdaptation(bool on)
{
    useChadWhite = on;
    curScale = on ? chadScale : wtptScale;
    curInvScale = on ? chadInvScale : wtptInvScale;
}

namespace {

void scaleXYZ(VCEColor* c, const int32_t* s)
{
    for (int k = 0; k < 3; ++k) {
        const long v = fixedMul(c->channel[k], s[k]);
        c->channel[k] = v < 0 ? 0 : static_cast<int32_t>(v);
    }
}

} // namespace

void CLUTProfile::match(VCEColor* c)
{
    switch (intent) {
    case 0:
        curA2B = &converters[0];
        curB2A = &converters[3];
        break;
    case 1:
    case 3:
        curA2B = &converters[1];
        curB2A = &converters[4];
        break;
    case 2:
        curA2B = &converters[2];
        curB2A = &converters[5];
        break;
    default:
        break;
    }
    if (hasB2A && isPCS(*c)) {
        if (intent == 3) {
            if (c->colorSpace == kLabSpace)
                VCELab_to_VCEXYZ(*c, c);
            scaleXYZ(c, curInvScale);
        }
        curB2A->matchB2A(c);
    } else if (hasA2B) {
        curA2B->matchA2B(c);
        if (intent == 3 && isPCS(*c)) {
            if (c->colorSpace == kLabSpace)
                VCELab_to_VCEXYZ(*c, c);
            scaleXYZ(c, curScale);
        }
    }
}

} // namespace vemora::cms::vemICC::nsp_VCE
