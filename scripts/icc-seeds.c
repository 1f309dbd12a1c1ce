/* Writes small profiles of every common shape through LittleCMS, as fuzzing seeds:
 * icc-seeds OUTDIR. */
#include <lcms2.h>
#include <stdio.h>
#include <string.h>

static void save(cmsHPROFILE h, const char* dir, const char* name, double version)
{
    char path[1024];
    snprintf(path, sizeof path, "%s/%s", dir, name);
    cmsSetProfileVersion(h, version);
    if (!cmsSaveProfileToFile(h, path))
        fprintf(stderr, "cannot write %s\n", path);
    cmsCloseProfile(h);
}

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const char* dir = argv[1];
    save(cmsCreate_sRGBProfile(), dir, "srgb-v2-matrix-curv", 2.1);
    save(cmsCreate_sRGBProfile(), dir, "srgb-v4-matrix-para", 4.3);
    save(cmsCreateLab2Profile(NULL), dir, "lab-v2-mft2", 2.1);
    save(cmsCreateLab4Profile(NULL), dir, "lab-v4-mab", 4.3);
    cmsToneCurve* g = cmsBuildGamma(NULL, 2.2);
    save(cmsCreateGrayProfile(cmsD50_xyY(), g), dir, "gray-v2-gamma", 2.1);
    cmsFloat64Number p[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    cmsToneCurve* para = cmsBuildParametricToneCurve(NULL, 4, p);
    save(cmsCreateGrayProfile(cmsD50_xyY(), para), dir, "gray-v4-para", 4.3);
    cmsUInt16Number ramp[16];
    for (int i = 0; i < 16; ++i)
        ramp[i] = (cmsUInt16Number)(i * 4369);
    cmsToneCurve* table = cmsBuildTabulatedToneCurve16(NULL, 16, ramp);
    save(cmsCreateGrayProfile(cmsD50_xyY(), table), dir, "gray-v2-table", 2.1);
    /* A small CMYK output profile: a 3-point 'mft2'/'mAB ' from a linearisation. */
    cmsToneCurve* k[4] = {g, g, g, g};
    save(cmsCreateLinearizationDeviceLink(cmsSigCmykData, k), dir, "cmyk-link-v2", 2.1);
    save(cmsCreateLinearizationDeviceLink(cmsSigCmykData, k), dir, "cmyk-link-v4", 4.3);
    cmsFreeToneCurve(g);
    cmsFreeToneCurve(para);
    cmsFreeToneCurve(table);
    return 0;
}
