#include "icc/factories.h"

#include "foundation/singleton.h"
#include "icc/types/basic_types.h"
#include "icc/types/curve_types.h"
#include "icc/types/lut_types.h"

namespace vemora {
namespace cms {
namespace vemICC {

namespace {

using TagSingleton = dxSingleton<ICCTagFactory, 3>;
using TypeSingleton = dxSingleton<ICCTypeFactory, 3>;

template <class T>
Tag* makeTag()
{
    return new T();
}

template <class T>
ICCType* makeType()
{
    return new T();
}

void fillTags(ICCTagFactory& f)
{
    f.registerCreator(sig("cprt"), &makeTag<CopyrightTag>);
    f.registerCreator(sig("desc"), &makeTag<ProfileDescriptionTag>);
    f.registerCreator(sig("Vnt1"), &makeTag<VemoraNoteTag1>);
    f.registerCreator(sig("Vnt2"), &makeTag<VemoraNoteTag2>);
    f.registerCreator(sig("A2B0"), &makeTag<AToB0Tag>);
    f.registerCreator(sig("A2B1"), &makeTag<AToB1Tag>);
    f.registerCreator(sig("A2B2"), &makeTag<AToB2Tag>);
    f.registerCreator(sig("B2A0"), &makeTag<BToA0Tag>);
    f.registerCreator(sig("B2A1"), &makeTag<BToA1Tag>);
    f.registerCreator(sig("B2A2"), &makeTag<BToA2Tag>);
    f.registerCreator(sig("chad"), &makeTag<ChromaticAdaptationTag>);
    f.registerCreator(sig("gamt"), &makeTag<GamutTag>);
    f.registerCreator(sig("wtpt"), &makeTag<MediaWhitePointTag>);
    f.registerCreator(sig("bkpt"), &makeTag<MediaBlackPointTag>);
    f.registerCreator(sig("rXYZ"), &makeTag<RedColorantTag>);
    f.registerCreator(sig("gXYZ"), &makeTag<GreenColorantTag>);
    f.registerCreator(sig("bXYZ"), &makeTag<BlueColorantTag>);
    f.registerCreator(sig("kTRC"), &makeTag<GrayTRCTag>);
    f.registerCreator(sig("rTRC"), &makeTag<RedTRCTag>);
    f.registerCreator(sig("gTRC"), &makeTag<GreenTRCTag>);
    f.registerCreator(sig("bTRC"), &makeTag<BlueTRCTag>);
    f.registerCreator(sig("vcgt"), &makeTag<VideoCardGammaTag>);
}

void fillTypes(ICCTypeFactory& f)
{
    f.registerCreator(sig("text"), &makeType<TextType>);
    f.registerCreator(sig("desc"), &makeType<TextDescriptionType>);
    f.registerCreator(sig("mluc"), &makeType<MultiLocalizedUnicodeType>);
    f.registerCreator(sig("mft1"), &makeType<Lut8Type>);
    f.registerCreator(sig("mft2"), &makeType<Lut16Type>);
    f.registerCreator(sig("mAB "), &makeType<LutAtoBType>);
    f.registerCreator(sig("mBA "), &makeType<LutBtoAType>);
    f.registerCreator(sig("XYZ "), &makeType<XYZType>);
    f.registerCreator(sig("curv"), &makeType<CurveType>);
    f.registerCreator(sig("para"), &makeType<ParameterCurveType>);
    f.registerCreator(sig("sf32"), &makeType<S15Fixed16ArrayType>);
    f.registerCreator(sig("vcgt"), &makeType<VideoCardGammaType>);
}

} // namespace

ICCTagFactory& getICCTagFactory()
{
    if (!TagSingleton::ptr()) {
        TagSingleton guard;
        fillTags(TagSingleton::ref());
    }
    return TagSingleton::ref();
}

ICCTypeFactory& getICCTypeFactory()
{
    if (!TypeSingleton::ptr()) {
        TypeSingleton guard;
        fillTypes(TypeSingleton::ref());
    }
    return TypeSingleton::ref();
}

void closeICCTagFactory() { TagSingleton::destory(); }
void closeICCTypeFactory() { TypeSingleton::destory(); }

} // namespace vemICC
} // namespace cms
} // namespace vemora
