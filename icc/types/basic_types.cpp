#include "icc/types/basic_types.h"

#include <cstring>

namespace vemora {
namespace cms {
namespace vemICC {

namespace {

// The bytes up to the first zero byte (all of them without one).
std::string untilZero(const std::vector<unsigned char>& bytes)
{
    const auto* begin = reinterpret_cast<const char*>(bytes.data());
    std::size_t n = 0;
    while (n < bytes.size() && bytes[n] != 0)
        ++n;
    return std::string(begin, n);
}

std::vector<unsigned char> readBlock(dxStream& s, unsigned long long n)
{
    requireBytes(s, n);
    std::vector<unsigned char> bytes(static_cast<std::size_t>(n));
    if (n)
        s.read_byte(bytes.data(), static_cast<unsigned long>(n));
    return bytes;
}

void writeUnits(dxStream& s, const BasicUniString<unsigned short>& text)
{
    std::vector<unsigned char> bytes(text.length() * 2);
    for (unsigned long i = 0; i < text.length(); ++i) {
        bytes[2 * i] = static_cast<unsigned char>(text[i] >> 8);
        bytes[2 * i + 1] = static_cast<unsigned char>(text[i]);
    }
    if (!bytes.empty())
        s.write_byte(bytes.data(), static_cast<unsigned long>(bytes.size()));
}

} // namespace

// ---- UnknowType ----

void UnknowType::read(dxStream& s, long size, const Header*)
{
    if (size == 0)
        return;
    s.setPos(s.getPos() - 8, true);
    raw = readBlock(s, static_cast<unsigned long>(size));
}

void UnknowType::write(dxStream& s) const
{
    if (raw.size() > 8)
        s.write_byte(raw.data() + 8, static_cast<unsigned long>(raw.size() - 8));
}

// ---- TextType ('text') ----

void TextType::read(dxStream& s, long size, const Header*)
{
    runWrapped(-6615, "TextType::read error", [&] {
        // An element shorter than its own header holds no text; a nested one has no size.
        if (size < 8)
            throw BufferStream::Exception{0};
        text.assign(untilZero(readBlock(s, static_cast<unsigned long>(size - 8))));
    });
}

void TextType::write(dxStream& s) const
{
    runWrapped(-6614, "TextType::write error", [&] {
        const std::string t = text.str();
        s.write_byte(reinterpret_cast<const unsigned char*>(t.c_str()), static_cast<unsigned long>(t.size() + 1));
    });
}

// ---- TextDescriptionType ('desc') ----

TextDescriptionType::TextDescriptionType(const TextDescriptionType& o)
    : ICCType(o), asciiText(o.asciiText), languageCode(o.languageCode), unicodeText(o.unicodeText),
      scriptCode(o.scriptCode), scriptText(o.scriptText)
{
}

void TextDescriptionType::read(dxStream& s, long, const Header*)
{
    runWrapped(-6607, "TextDescriptionType::read error", [&] {
        const unsigned long n = read_uInt32Number(s);
        if (n > 0) {
            std::vector<unsigned char> bytes = readBlock(s, n);
            bytes.back() = 0;
            asciiText.assign(untilZero(bytes));
        } else {
            asciiText.assign(std::string());
        }
        languageCode = static_cast<uint32_t>(read_uInt32Number(s));

        const unsigned long u = read_uInt32Number(s);
        if (u > 0) {
            const std::vector<unsigned char> bytes = readBlock(s, 2ULL * u);
            bool big = true;
            unsigned long first = 0;
            long long take = static_cast<long long>(u) - 1;
            if (bytes[0] == 0xFE && bytes[1] == 0xFF) {
                first = 1;
                take = static_cast<long long>(u) - 2;
            } else if (bytes[0] == 0xFF && bytes[1] == 0xFE) {
                first = 1;
                big = false;
                take = static_cast<long long>(u) - 2;
            }
            std::vector<unsigned short> units;
            if (take > 0) {
                units.resize(static_cast<std::size_t>(take));
                for (long long i = 0; i < take; ++i) {
                    const unsigned char* p = &bytes[2 * (first + static_cast<unsigned long>(i))];
                    units[static_cast<std::size_t>(i)] =
                        static_cast<unsigned short>(big ? (p[0] << 8) | p[1] : (p[1] << 8) | p[0]);
                }
            }
            unicodeText.assign(units);
        } else {
            unicodeText.clear();
        }

        scriptCode = static_cast<uint16_t>(read_uInt16Number(s));
        unsigned long c = read_uInt8Number(s);
        if (c > 66)
            c = 66;
        const std::vector<unsigned char> script = readBlock(s, c);
        scriptText.assign(c > 0 ? untilZero(script) : std::string());
    });
}

void TextDescriptionType::write(dxStream& s) const
{
    runWrapped(-6605, "TextDescriptionType::write error", [&] {
        const std::string ascii = asciiText.str();
        if (!ascii.empty()) {
            write_uInt32Number(s, static_cast<unsigned long>(ascii.size() + 1));
            s.write_byte(reinterpret_cast<const unsigned char*>(ascii.c_str()),
                         static_cast<unsigned long>(ascii.size() + 1));
        } else {
            write_uInt32Number(s, 0);
        }
        write_uInt32Number(s, languageCode);
        if (!unicodeText.empty()) {
            write_uInt32Number(s, unicodeText.length() + 1);
            writeUnits(s, unicodeText);
            write_uInt16Number(s, 0);
        } else {
            write_uInt32Number(s, 0);
        }
        write_uInt16Number(s, scriptCode);
        const std::string script = scriptText.str();
        const std::size_t n = script.size() < 66 ? script.size() : 66;
        write_uInt8Number(s, n > 0 ? n + 1 : 0);
        unsigned char field[67] = {};
        std::memcpy(field, script.data(), n);
        s.write_byte(field, sizeof field);
    });
}

// ---- MultiLocalizedUnicodeType ('mluc') ----

void MultiLocalizedUnicodeType::read(dxStream& s, long, const Header*)
{
    runWrapped(-6623, "MultiLocalizedUnicodeType read error", [&] {
        const long long p = s.getPos();
        const unsigned long count = read_uInt32Number(s);
        unsigned long recordSize = read_uInt32Number(s);
        if (recordSize < 12)
            recordSize = 12;
        // Every record must be in the element before any is made.
        requireBytes(s, static_cast<unsigned long long>(count) * recordSize);
        names.clear();
        std::vector<Range> ranges(count);
        for (unsigned long i = 0; i < count; ++i) {
            Name n;
            n.language = static_cast<uint16_t>(read_uInt16Number(s));
            n.country = static_cast<uint16_t>(read_uInt16Number(s));
            names.push_back(n);
            ranges[i].length = static_cast<uint32_t>(read_uInt32Number(s));
            ranges[i].offset = static_cast<uint32_t>(read_uInt32Number(s));
            readReserved(s, recordSize - 12);
        }
        for (unsigned long i = 0; i < count; ++i) {
            s.setPos(p - 8 + ranges[i].offset, true);
            const std::vector<unsigned char> bytes = readBlock(s, ranges[i].length);
            std::vector<unsigned short> units(bytes.size() / 2);
            for (std::size_t k = 0; k < units.size(); ++k)
                units[k] = static_cast<unsigned short>((bytes[2 * k] << 8) | bytes[2 * k + 1]);
            BasicUniString<unsigned short> text(units);
            names[i].name.append(text);
        }
    });
}

void MultiLocalizedUnicodeType::write(dxStream& s) const
{
    runWrapped(-6622, "MultiLocalizedUnicodeType write error", [&] {
        write_uInt32Number(s, static_cast<unsigned long>(names.size()));
        write_uInt32Number(s, 12);
        unsigned long offset = 16 + 12 * static_cast<unsigned long>(names.size());
        for (const Name& n : names) {
            write_uInt16Number(s, n.language);
            write_uInt16Number(s, n.country);
            write_uInt32Number(s, 2 * n.name.length());
            write_uInt32Number(s, offset);
            offset += 2 * n.name.length();
        }
        for (const Name& n : names)
            writeUnits(s, n.name);
    });
}

// ---- XYZType ('XYZ ') ----

void XYZType::read(dxStream& s, long, const Header*)
{
    runWrapped(-6613, "XYZType::read error", [&] { read_XYZNumber(&X, &Y, &Z, s); });
}

void XYZType::write(dxStream& s) const
{
    runWrapped(-6612, "XYZType::write error", [&] { write_XYZNumber(s, X, Y, Z); });
}

// ---- S15Fixed16ArrayType ('sf32') ----

void S15Fixed16ArrayType::read(dxStream& s, long size, const Header*)
{
    runWrapped(-6625, "S15Fixed16ArrayType read error", [&] {
        const long n = size - 8;
        if (n < 4)
            return;
        const std::vector<unsigned char> bytes = readBlock(s, static_cast<unsigned long>(n));
        values.clear();
        values.reserve(bytes.size() / 4);
        for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4)
            values.push_back(read_s15Fixed16Number(&bytes[i]));
    });
}

void S15Fixed16ArrayType::write(dxStream& s) const
{
    runWrapped(-6624, "S15Fixed16ArrayType write error", [&] {
        for (double v : values)
            write_s15Fixed16Number(s, v);
    });
}

} // namespace vemICC
} // namespace cms
} // namespace vemora
