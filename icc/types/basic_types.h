#pragma once
// Raw, text, XYZ and s15Fixed16 array element types (ICC.1:2010 sections 10.20, 10.13, 10.31,
// 10.18 and the version 2 'desc' type of ICC.1:2001-04 section 6.5.17).
#include "foundation/unistring.h"
#include "icc/types/icc_type.h"

#include <vector>

namespace vemora {
namespace cms {
namespace vemICC {

// An element whose type is not known: kept whole, the 8-byte header included.
class UnknowType : public ICCType {
public:
    explicit UnknowType(const Signature& type) : ICCType(type) {}
    UnknowType(const UnknowType& o) : ICCType(o), raw(o.raw) {}
    void write(dxStream& s) const override;
    void read(dxStream& s, long size, const Header* header) override;
    ICCType* clone() const override { return new UnknowType(*this); }

    std::vector<unsigned char> raw;
};

class TextType : public ICCType {
public:
    TextType() : ICCType(sig("text")) {}
    TextType(const TextType& o) : ICCType(o), text(o.text) {}
    void write(dxStream& s) const override;
    void read(dxStream& s, long size, const Header* header) override;
    ICCType* clone() const override { return new TextType(*this); }

    dxString text;
};

class TextDescriptionType : public ICCType {
public:
    TextDescriptionType() : ICCType(sig("desc")) {}
    TextDescriptionType(const TextDescriptionType& o);
    void write(dxStream& s) const override;
    void read(dxStream& s, long size, const Header* header) override;
    ICCType* clone() const override { return new TextDescriptionType(*this); }

    const dxString& getString() const { return asciiText; }
    const BasicUniString<unsigned short>& getUniString() const { return unicodeText; }
    unsigned long getLanguageCode() const { return languageCode; }
    const dxString& getScriptString() const { return scriptText; }

    dxString asciiText;
    uint32_t languageCode = 0;
    BasicUniString<unsigned short> unicodeText;
    uint16_t scriptCode = 0;
    dxString scriptText;
};

class MultiLocalizedUnicodeType : public ICCType {
public:
    struct Name {
        uint16_t language = 0;
        uint16_t country = 0;
        BasicUniString<unsigned short> name;
    };
    struct Range {
        uint32_t offset = 0;
        uint32_t length = 0;
    };

    MultiLocalizedUnicodeType() : ICCType(sig("mluc")) {}
    MultiLocalizedUnicodeType(const MultiLocalizedUnicodeType& o) : ICCType(o), names(o.names) {}
    void write(dxStream& s) const override;
    void read(dxStream& s, long size, const Header* header) override;
    ICCType* clone() const override { return new MultiLocalizedUnicodeType(*this); }

    unsigned long getCount() const { return static_cast<unsigned long>(names.size()); }
    const Name& getName(unsigned long i) const { return names.at(i); }

    std::vector<Name> names;
};

class XYZType : public ICCType {
public:
    XYZType() : ICCType(sig("XYZ ")) {}
    XYZType(const XYZType& o) : ICCType(o), X(o.X), Y(o.Y), Z(o.Z) {}
    void write(dxStream& s) const override;
    void read(dxStream& s, long size, const Header* header) override;
    ICCType* clone() const override { return new XYZType(*this); }

    double X = 0, Y = 0, Z = 0;
};

class S15Fixed16ArrayType : public ICCType {
public:
    S15Fixed16ArrayType() : ICCType(sig("sf32")) {}
    S15Fixed16ArrayType(const S15Fixed16ArrayType& o) : ICCType(o), values(o.values) {}
    void write(dxStream& s) const override;
    void read(dxStream& s, long size, const Header* header) override;
    ICCType* clone() const override { return new S15Fixed16ArrayType(*this); }

    std::vector<double> values;
};

} // namespace vemICC
} // namespace cms
} // namespace vemora
