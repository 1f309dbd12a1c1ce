#include "foundation/unistring.h"

#include "foundation/exception.h"
#include "foundation/stream.h"

#include <cstring>

namespace vemora {

template <class T>
void BasicUniString<T>::assign(const char* text)
{
    unsigned long n = charLength(text);
    std::vector<T> u(n);
    for (unsigned long i = 0; i < n; ++i)
        u[i] = static_cast<T>(static_cast<signed char>(text[i]));
    units_.swap(u);
}

template <class T>
void BasicUniString<T>::assign(const unsigned char* data, unsigned long pos, unsigned long n)
{
    units_.assign(data + pos, data + pos + n);
}

template <class T>
void BasicUniString<T>::write(dxStream& s) const
{
    try {
        s.write_Uint4(static_cast<unsigned long>(units_.size()));
        if (units_.empty())
            return;
        std::vector<unsigned char> bytes(units_.size() * 2);
        const bool big = s.getByteOrder() == dxStream::bigEndian;
        for (std::size_t i = 0; i < units_.size(); ++i) {
            const unsigned short u = units_[i];
            bytes[2 * i] = static_cast<unsigned char>(big ? u >> 8 : u);
            bytes[2 * i + 1] = static_cast<unsigned char>(big ? u : u >> 8);
        }
        s.write_byte(bytes.data(), bytes.size());
    } catch (...) {
        throw BasicUniStringException("BasicUniString::Write error");
    }
}

template <class T>
void BasicUniString<T>::read(dxStream& s)
{
    try {
        unsigned long n = 0;
        s.read_Uint4(n);
        // The count comes from the data: it must fit in what is left before anything is
        // allocated for it.
        const unsigned long long left = s.getSize() - static_cast<unsigned long long>(s.getPos());
        if (static_cast<unsigned long long>(n) * 2 > left)
            throw 0;
        std::vector<unsigned char> bytes(n * 2);
        if (n)
            s.read_byte(bytes.data(), bytes.size());
        std::vector<T> u(n);
        for (unsigned long i = 0; i < n; ++i) {
            unsigned short v = 0;
            s.buffer2_to_Uint2(&bytes[2 * i], &v);
            u[i] = v;
        }
        units_.swap(u);
        narrow_.clear();
    } catch (...) {
        throw BasicUniStringException("BasicUniString::Read error");
    }
}

template <class T>
const char* BasicUniString<T>::c_str() const
{
    narrow_ = toUTF8();
    return narrow_.c_str();
}

template <class T>
std::string BasicUniString<T>::toUTF8() const
{
    return utf16_to_utf8(units_.data(), units_.size());
}

template <class T>
BasicUniString<T> BasicUniString<T>::fromUTF8(const std::string& text)
{
    std::u16string u = utf8_to_utf16(text);
    return BasicUniString<T>(std::vector<T>(u.begin(), u.end()));
}

template class BasicUniString<unsigned short>;

std::u16string utf8_to_utf16(const std::string& text)
{
    std::u16string out;
    out.reserve(text.size());
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        char32_t cp = 0;
        std::size_t len = 0;
        if (b < 0x80) {
            cp = b;
            len = 1;
        } else if (b >= 0xC2 && b <= 0xDF) {
            cp = b & 0x1F;
            len = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            cp = b & 0x0F;
            len = 3;
        } else if (b >= 0xF0 && b <= 0xF4) {
            cp = b & 0x07;
            len = 4;
        }
        bool ok = len != 0 && i + len <= n;
        for (std::size_t k = 1; ok && k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and values beyond U+10FFFF are not UTF-8.
        if (ok && ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
                   (cp >= 0xD800 && cp <= 0xDFFF)))
            ok = false;
        if (!ok) {
            out.push_back(static_cast<char16_t>(0xDC00 + b));
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
    return out;
}

std::string utf16_to_utf8(const unsigned short* units, std::size_t n)
{
    std::string out;
    out.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        char32_t cp = units[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xDC80 && cp <= 0xDCFF) {
            out.push_back(static_cast<char>(cp - 0xDC00)); // a byte kept from a non-UTF-8 name
            continue;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

const PlatformString* MacUniString::getCFStr() const
{
    updateCFStr();
    return cachedString_.get();
}

void MacUniString::updateCFStr() const
{
    // The new string exists before the old one is released, so two calls never hand out the
    // same object.
    auto fresh = std::make_unique<PlatformString>(toUTF8());
    cachedString_ = std::move(fresh);
}

dxString::dxString(const dxString& o)
{
    try {
        o.checkLock();
        text_ = o.text_;
    } catch (...) {
        throw ExceptionDebuggErrorID(-1001, "dxString: Copy constructor error");
    }
}

dxString& dxString::operator=(const dxString& o)
{
    checkLock();
    o.checkLock();
    text_ = o.text_;
    return *this;
}

void dxString::checkLock() const
{
    if (locked_)
        throw ExceptionDebuggErrorID(-1000, "dxString: Trying trouch locked dxString");
}

void dxString::assign(const char* data, std::size_t n)
{
    checkLock();
    text_.assign(data, n);
}

void dxString::assign(const std::string& text)
{
    checkLock();
    text_ = text;
}

std::string dxString::str() const
{
    checkLock();
    return text_;
}

const char* dxString::c_str() const
{
    checkLock();
    return text_.c_str();
}

std::size_t dxString::length() const
{
    checkLock();
    return text_.size();
}

bool dxString::operator==(const dxString& o) const
{
    checkLock();
    o.checkLock();
    return text_ == o.text_;
}

bool dxString::operator<(const dxString& o) const
{
    checkLock();
    o.checkLock();
    return text_ < o.text_;
}

char* dxString::lend(std::size_t capacity)
{
    checkLock();
    lendSize_ = capacity < text_.size() + 1 ? text_.size() + 1 : capacity;
    lendBuffer_ = std::make_unique<char[]>(lendSize_);
    std::memcpy(lendBuffer_.get(), text_.c_str(), text_.size() + 1);
    locked_ = true;
    return lendBuffer_.get();
}

void dxString::giveBack(bool takeText)
{
    if (!locked_)
        return;
    if (takeText)
        text_.assign(lendBuffer_.get(), strnlen(lendBuffer_.get(), lendSize_));
    lendBuffer_.reset();
    lendSize_ = 0;
    locked_ = false;
}

} // namespace vemora
