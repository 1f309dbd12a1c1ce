#pragma once
// Base of the ICC element types. A tag creates the type named by an element's type signature
// and lets it read the body that follows the 8-byte element header (type signature, reserved).
#include "foundation/stream.h"
#include "icc/encodings.h"

namespace vemora {
namespace cms {
namespace vemICC {

class Header;
class Tag;

class ICCType {
public:
    explicit ICCType(const Signature& type) : typeSignature(type) {}
    virtual ~ICCType() = default;

    // The body only; the tag writes the element header.
    virtual void write(dxStream& s) const = 0;
    // size: the directory size of the whole element (header included), 0 for an element
    // nested in another element. header may be null.
    virtual void read(dxStream& s, long size, const Header* header) = 0;
    virtual void debugShow() const {}
    // A copy of the same class and content, without owner.
    virtual ICCType* clone() const { return nullptr; }

    const Signature& getTypeSignature() const { return typeSignature; }

    Signature typeSignature;
    Tag* owner = nullptr;

protected:
    ICCType(const ICCType& o) : typeSignature(o.typeSignature) {}
    ICCType& operator=(const ICCType&) = delete;
};

// Runs a type's read or write; any failure underneath (which has printed itself) becomes the
// type's own record.
template <class F>
void runWrapped(long id, const char* message, F&& f)
{
    try {
        f();
    } catch (...) {
        throw ExceptionDebuggErrorID(id, message);
    }
}

} // namespace vemICC
} // namespace cms
} // namespace vemora
