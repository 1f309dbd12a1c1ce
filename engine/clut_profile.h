#pragma once
// Table-based profiles (printers, presses, LUT RGB, Lab and abstract profiles): one LUT
// converter per AToB/BToA tag, missing intents filled from the tags present, ICC-absolute
// colorimetry by scaling XYZ with the media white.
#include "engine/base_profile.h"
#include "engine/clut_converter.h"

namespace vemora::cms::vemICC::nsp_VCE {

class CLUTProfile : public BaseProfile {
public:
    CLUTProfile() = default;

    void setProfile(const ICCProfile& p) override;
    void match(VCEColor* c) override;
    long getInputAccept() const override { return inputAccept; }
    long getOutputAccept() const override { return outputAccept; }
    long getAChannel() const override { return aChannel; }
    long getBChannel() const override { return bChannel; }
    void setMediaWhiteByChromaticAdaptation(bool on) override;

    bool setupCLUT(CLUTConverter* conv, const Tag* tag);
    static void dispatchCLUT(CLUTConverter* c0, CLUTConverter* c1, CLUTConverter* c2);
    void determineMatchMode();
    void prepareAbsolute(const ICCProfile& p);
    static void calcMediaWhite(int32_t* scale, int32_t* invScale, const double* white);

    const CLUTConverter& converter(int i) const { return converters[i]; }
    const int32_t* scale() const { return curScale; }
    const int32_t* inverseScale() const { return curInvScale; }
    bool hasAToB() const { return hasA2B; }
    bool hasBToA() const { return hasB2A; }

private:
    CLUTConverter converters[6];
    int32_t inputAccept = 0, outputAccept = 0;
    bool hasA2B = false, hasB2A = false;
    int32_t wtptScale[3] = {65536, 65536, 65536}, wtptInvScale[3] = {65536, 65536, 65536};
    int32_t chadScale[3] = {65536, 65536, 65536}, chadInvScale[3] = {65536, 65536, 65536};
    const int32_t* curScale = wtptScale;
    const int32_t* curInvScale = wtptInvScale;
    // Before the first valid intent the relative colorimetric pair is used.
    const CLUTConverter* curA2B = &converters[1];
    const CLUTConverter* curB2A = &converters[4];
    int32_t aChannel = 0, bChannel = 0;
};

} // namespace vemora::cms::vemICC::nsp_VCE
