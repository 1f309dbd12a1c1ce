#include "icc/tags/tags.h"

#include "icc/factories.h"
#include "icc/types/basic_types.h"
#include "icc/types/curve_types.h"

namespace vemora {
namespace cms {
namespace vemICC {

void AbstractTag::allocateImp(ICCType* type)
{
    implementation.allocate(type, true);
    if (type)
        type->owner = this;
}

ICCType* AbstractTag::cloneImp() const
{
    return implementation.isNull() ? nullptr : implementation->clone();
}

Tag* AbstractTag::clone() const
{
    Tag* made = getICCTagFactory().createObject(tagSignature.get());
    if (!made) {
        // Curves of the curve sets carry no registered signature but must stay curve tags.
        if (dynamic_cast<const CurveAbstractTag*>(this))
            made = new CurveAbstractTag(tagSignature);
        else
            made = new UnknowTag(tagSignature);
    }
    auto* copy = static_cast<AbstractTag*>(made);
    copy->setTagSignature(tagSignature);
    copy->setSubstitute(substitute);
    copy->allocateImp(cloneImp());
    return copy;
}

void AbstractTag::iccRead(dxStream& s, const dxValue2<long, long>* entry, const Header* header)
{
    if (!entry) {
        readElement(s, 0, header, false);
        return;
    }
    // A directory entry says exactly where its element starts: it is read there even when the
    // offset is not a multiple of 4 (some profiles in use have such offsets; moving on to the
    // next multiple would read the element from the wrong bytes). Only nested elements,
    // which follow one another, are aligned.
    s.setPos(entry->first, true);
    // The element is read from a stream of its own bytes only, so no count inside it can
    // reach the bytes of another element or beyond the profile.
    if (entry->second < 0)
        throw BufferStream::Exception{0};
    dxStream element(dxStream::sourceBuffer);
    element.setByteOrder(s.getByteOrder());
    s.read_bufferStream(&element, static_cast<unsigned long>(entry->second));
    element.gotoBOF();
    readElement(element, entry->second, header, true);
}

void AbstractTag::readElement(dxStream& s, long size, const Header* header, bool fromDirectory)
{
    if (!fromDirectory)
        readFourByteAlignment(s);
    Signature type;
    type.iccRead(s);
    readReserved(s, 4);
    ICCType* made = getICCTypeFactory().createObject(type.get());
    if (made) {
        allocateImp(made);
        made->read(s, fromDirectory ? size : 0, header);
    } else if (fromDirectory) {
        auto* raw = new UnknowType(type);
        allocateImp(raw);
        raw->read(s, size, nullptr);
    }
}

dxValue2<long, long> AbstractTag::iccWrite(dxStream& s) const
{
    if (implementation.isNull())
        throw BufferStream::Exception{1};
    const long offset = static_cast<long>(writeFourByteAlignment(s));
    implementation->typeSignature.iccWrite(s);
    writeReserved(s, 4);
    implementation->write(s);
    const long end = static_cast<long>(s.getPos());
    writeFourByteAlignment(s);
    return dxValue2<long, long>(offset, end - offset);
}

CurveAbstractTag::CurveAbstractTag() : AbstractTag(Signature())
{
    allocateImp(new CurveType());
}

CurveAbstractTag::CurveAbstractTag(const Signature& tag) : AbstractTag(tag)
{
    allocateImp(new CurveType());
}

} // namespace vemICC
} // namespace cms
} // namespace vemora
