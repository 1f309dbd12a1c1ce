#pragma once
// UTF-16 strings of the system (file names, interface texts, profile descriptions) and the
// narrow, lockable dxString of ICC texts and POSIX paths.
#include <memory>
#include <string>
#include <vector>

namespace vemora {

class dxStream;

class BasicUniStringException {
public:
    explicit BasicUniStringException(const std::string& m) : message(m) {}
    std::string message;
};

template <class T>
class BasicUniString {
public:
    using unit_type = T;

    BasicUniString() = default;
    BasicUniString(const BasicUniString& o) : units_(o.units_) {}
    BasicUniString& operator=(const BasicUniString& o)
    {
        if (this != &o) {
            units_ = o.units_;
            narrow_.clear();
        }
        return *this;
    }
    explicit BasicUniString(std::vector<T> units) : units_(std::move(units)) {}
    virtual ~BasicUniString() = default;

    // One unit per byte, the byte taken as signed: 0x80..0xFF become 0xFF80..0xFFFF.
    void assign(const char* text);
    // n bytes from data + pos, each zero-extended: 0x80..0xFF become U+0080..U+00FF.
    void assign(const unsigned char* data, unsigned long pos, unsigned long n);
    void assign(const std::vector<T>& units) { units_ = units; }
    void append(const T& unit, unsigned long count) { units_.insert(units_.end(), count, unit); }
    void append(const BasicUniString& o) { units_.insert(units_.end(), o.units_.begin(), o.units_.end()); }
    void clear() { units_.clear(); }

    template <class C>
    static unsigned long charLength(const C* text)
    {
        unsigned long n = 0;
        while (text[n] != C(0))
            ++n;
        return n;
    }

    // Count-prefixed binary form: a 4-byte count N, then N units of 2 bytes, in the stream's
    // byte order. A failed read leaves the string unchanged.
    void write(dxStream& s) const;
    void read(dxStream& s);

    unsigned long length() const { return static_cast<unsigned long>(units_.size()); }
    bool empty() const { return units_.empty(); }
    const T& operator[](std::size_t i) const { return units_[i]; }
    const std::vector<T>& units() const { return units_; }
    const T* data() const { return units_.data(); }

    // The text as UTF-8 (the narrow form handed out to narrow callers); valid until the next
    // change or call.
    const char* c_str() const;
    std::string toUTF8() const;
    static BasicUniString fromUTF8(const std::string& text);

    bool operator==(const BasicUniString& o) const { return units_ == o.units_; }
    bool operator!=(const BasicUniString& o) const { return units_ != o.units_; }
    // Lexicographic by unsigned unit value, a proper prefix first.
    bool operator<(const BasicUniString& o) const { return units_ < o.units_; }

private:
    std::vector<T> units_;
    mutable std::string narrow_;
};

using UniString = BasicUniString<unsigned short>;

// UTF-8 <-> UTF-16 for file names and platform texts. Written by hand because the standard
// converters are deprecated and none keeps bytes that are not UTF-8: such a byte b maps to
// the lone surrogate U+DC00 + b and back, so every POSIX file name survives a round trip.
std::u16string utf8_to_utf16(const std::string& text);
std::string utf16_to_utf8(const unsigned short* units, std::size_t n);

// The platform string of this system is UTF-8; the toolkit turns it into its own type.
using PlatformString = std::string;

class MacUniString : public BasicUniString<unsigned short> {
public:
    MacUniString() = default;
    MacUniString(const MacUniString& o) : BasicUniString<unsigned short>(o) {}
    MacUniString(const BasicUniString<unsigned short>& o) : BasicUniString<unsigned short>(o) {}
    MacUniString& operator=(const MacUniString& o)
    {
        BasicUniString<unsigned short>::operator=(o);
        clearCFStr();
        return *this;
    }
    ~MacUniString() override = default;

    // Rebuilds the cached platform string from the current units and returns it; it stays
    // owned by this object until the next getCFStr, clearCFStr or destruction.
    const PlatformString* getCFStr() const;
    void updateCFStr() const;
    void clearCFStr() const { cachedString_.reset(); }

private:
    mutable std::unique_ptr<PlatformString> cachedString_;
};

class dxString {
public:
    dxString() = default;
    dxString(const char* text) : text_(text ? text : "") {}
    dxString(const std::string& text) : text_(text) {}
    // Throws -1001 (after the -1000 of the locked check) when the source is locked.
    dxString(const dxString& o);
    dxString& operator=(const dxString& o);
    ~dxString() = default;

    void assign(const char* data, std::size_t n);
    void assign(const std::string& text);
    std::string str() const;
    const char* c_str() const;
    std::size_t length() const;
    bool operator==(const dxString& o) const;
    bool operator<(const dxString& o) const;

    // Lending the text out as a writable buffer of `capacity` bytes locks the string until
    // giveBack; giveBack(true) takes the buffer's zero-terminated text as the new text.
    char* lend(std::size_t capacity);
    void giveBack(bool takeText);
    bool isLocked() const { return locked_; }

private:
    void checkLock() const;

    std::string text_;
    bool locked_ = false;
    std::unique_ptr<char[]> lendBuffer_;
    std::size_t lendSize_ = 0;
};

} // namespace vemora
