#pragma once
// Tag classes: what an element means (its tag signature, such as 'rTRC') apart from how its
// bytes are laid out (its type, such as 'curv' or 'para', held as the implementation).
#include "foundation/holders.h"
#include "foundation/value.h"
#include "icc/types/icc_type.h"

namespace vemora {
namespace cms {
namespace vemICC {

class Header;

class Tag {
public:
    explicit Tag(const Signature& tag = Signature()) : tagSignature(tag) {}
    virtual ~Tag() = default;

    virtual void setTagSignature(const Signature& tag) { tagSignature = tag; }
    virtual void setSubstitute(bool on) { substitute = on; }
    virtual Signature& getTagSignature() { return tagSignature; }
    virtual const Signature& getTagSignature() const { return tagSignature; }
    virtual bool isSubstitute() const { return substitute; }
    // Writes the element; returns its (offset, size) for a directory, trailing padding excluded.
    virtual dxValue2<long, long> iccWrite(dxStream& s) const = 0;
    // entry: the directory's (offset, size), or null for an element nested in another one.
    virtual void iccRead(dxStream& s, const dxValue2<long, long>* entry, const Header* header) = 0;
    virtual ICCType* getImplement() = 0;
    virtual const ICCType* getImplement() const = 0;
    virtual void debugShow() const {}
    virtual Tag* clone() const { return nullptr; }

protected:
    Tag(const Tag&) = default;
    Tag& operator=(const Tag&) = default;

    Signature tagSignature;
    bool substitute = false;
};

class AbstractTag : public Tag {
public:
    explicit AbstractTag(const Signature& tag = Signature()) : Tag(tag) {}
    // Copies share the implementation (it keeps its owner).
    AbstractTag(const AbstractTag&) = default;
    AbstractTag& operator=(const AbstractTag&) = default;

    dxValue2<long, long> iccWrite(dxStream& s) const override;
    void iccRead(dxStream& s, const dxValue2<long, long>* entry, const Header* header) override;
    ICCType* getImplement() override { return implementation.get(); }
    const ICCType* getImplement() const override { return implementation.get(); }
    Tag* clone() const override;

    virtual void setTypeSignature(const Signature& type) { implementation->typeSignature = type; }
    virtual Signature& getTypeSignature() { return implementation->typeSignature; }
    virtual const Signature& getTypeSignature() const { return implementation->typeSignature; }

    // Installs the type as the implementation, owned, with use count 1.
    void allocateImp(ICCType* type);
    ICCType* cloneImp() const;

protected:
    PointerHolder<ICCType, SinglePtrPolicy<ICCType>> implementation;

private:
    void readElement(dxStream& s, long size, const Header* header, bool fromDirectory);
};

#define VEMICC_SIMPLE_TAG(Name, Base, code)                                                                          \
    class Name : public Base {                                                                                       \
    public:                                                                                                          \
        Name() : Base(Signature(sig(code))) {}                                                                       \
    };

class UnknowTag : public AbstractTag {
public:
    explicit UnknowTag(const Signature& tag) : AbstractTag(tag) {}
};

VEMICC_SIMPLE_TAG(CopyrightTag, AbstractTag, "cprt")
VEMICC_SIMPLE_TAG(ProfileDescriptionTag, AbstractTag, "desc")
VEMICC_SIMPLE_TAG(VemoraNoteTag1, AbstractTag, "Vnt1")
VEMICC_SIMPLE_TAG(VemoraNoteTag2, AbstractTag, "Vnt2")
VEMICC_SIMPLE_TAG(MediaWhitePointTag, AbstractTag, "wtpt")
VEMICC_SIMPLE_TAG(MediaBlackPointTag, AbstractTag, "bkpt")
VEMICC_SIMPLE_TAG(RedColorantTag, AbstractTag, "rXYZ")
VEMICC_SIMPLE_TAG(GreenColorantTag, AbstractTag, "gXYZ")
VEMICC_SIMPLE_TAG(BlueColorantTag, AbstractTag, "bXYZ")
VEMICC_SIMPLE_TAG(ChromaticAdaptationTag, AbstractTag, "chad")
VEMICC_SIMPLE_TAG(VideoCardGammaTag, AbstractTag, "vcgt")

class LutAbstractTag : public AbstractTag {
public:
    explicit LutAbstractTag(const Signature& tag) : AbstractTag(tag) {}
};

VEMICC_SIMPLE_TAG(AToB0Tag, LutAbstractTag, "A2B0")
VEMICC_SIMPLE_TAG(AToB1Tag, LutAbstractTag, "A2B1")
VEMICC_SIMPLE_TAG(AToB2Tag, LutAbstractTag, "A2B2")
VEMICC_SIMPLE_TAG(BToA0Tag, LutAbstractTag, "B2A0")
VEMICC_SIMPLE_TAG(BToA1Tag, LutAbstractTag, "B2A1")
VEMICC_SIMPLE_TAG(BToA2Tag, LutAbstractTag, "B2A2")
VEMICC_SIMPLE_TAG(GamutTag, LutAbstractTag, "gamt")

// Tone-curve tags start with an empty 'curv' (an identity); so do the curves of the curve sets
// of 'mAB '/'mBA ' tables, which carry no tag signature.
class CurveAbstractTag : public AbstractTag {
public:
    CurveAbstractTag();
    explicit CurveAbstractTag(const Signature& tag);
};

VEMICC_SIMPLE_TAG(GrayTRCTag, CurveAbstractTag, "kTRC")
VEMICC_SIMPLE_TAG(RedTRCTag, CurveAbstractTag, "rTRC")
VEMICC_SIMPLE_TAG(GreenTRCTag, CurveAbstractTag, "gTRC")
VEMICC_SIMPLE_TAG(BlueTRCTag, CurveAbstractTag, "bTRC")

#undef VEMICC_SIMPLE_TAG

} // namespace vemICC
} // namespace cms
} // namespace vemora
