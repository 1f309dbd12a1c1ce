/* Re-encodes an ICC profile as version 4 through LittleCMS: every tag is parsed and written
 * again in its version 4 type ('mft2' tables become 'mAB '/'mBA ', 'desc' becomes 'mluc').
 * Usage: icc-v4-reencode IN.icc OUT.icc "description" */
#include <lcms2.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: %s in.icc out.icc description\n", argv[0]);
        return 2;
    }
    cmsHPROFILE h = cmsOpenProfileFromFile(argv[1], "r");
    if (!h)
        return 1;
    cmsInt32Number n = cmsGetTagCount(h);
    for (cmsInt32Number i = 0; i < n; ++i)
        cmsReadTag(h, cmsGetTagSignature(h, (cmsUInt32Number)i));
    cmsMLU* desc = cmsMLUalloc(NULL, 2);
    wchar_t wide[256];
    mbstowcs(wide, argv[3], 255);
    wide[255] = 0;
    cmsMLUsetWide(desc, "en", "US", wide);
    cmsMLUsetWide(desc, "de", "DE", wide);
    cmsWriteTag(h, cmsSigProfileDescriptionTag, desc);
    cmsMLUfree(desc);
    cmsSetProfileVersion(h, 4.3);
    int ok = cmsSaveProfileToFile(h, argv[2]);
    cmsCloseProfile(h);
    return ok ? 0 : 1;
}
