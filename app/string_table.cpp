#include "app/string_table.h"

#include "app/folders.h"
#include "foundation/singleton.h"

#include <cctype>
#include <clocale>
#include <climits>
#include <cstring>
#include <string>

namespace vemoraVeriglow {

using namespace vemora;

namespace {

// Resource tables are small; anything larger is not a table.
constexpr unsigned long long kMaxTableBytes = 64ull << 20;

const UniString& unknownText()
{
    static const UniString t = UniString::fromUTF8("???");
    return t;
}

// atoi over code units narrowed to their low byte, without atoi's overflow.
long fieldNumber(const std::vector<unsigned short>& u, std::size_t from, std::size_t to)
{
    std::size_t i = from;
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(u[k] & 0xFF); };
    while (i < to && std::isspace(byte(i)))
        ++i;
    bool negative = false;
    if (i < to && (byte(i) == '+' || byte(i) == '-'))
        negative = byte(i++) == '-';
    long long v = 0;
    while (i < to && std::isdigit(byte(i))) {
        v = v * 10 + (byte(i++) - '0');
        if (v > INT_MAX)
            v = static_cast<long long>(INT_MAX) + 1;
    }
    v = negative ? -v : v;
    return static_cast<long>(v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : v);
}

} // namespace

int FileUTF16::readFile(UniString& text, dxStream& stream)
{
    long long savedPos = 0;
    const dxStream::ByteOrder savedOrder = stream.getByteOrder();
    int code = 0;
    try {
        savedPos = stream.getPos();
        const unsigned long long size = stream.getSize();
        if (size <= 2) {
            code = 1;
        } else {
            stream.gotoBOF();
            unsigned char mark[2];
            stream.read_byte(mark, 2);
            if (mark[0] == 0xFE && mark[1] == 0xFF)
                stream.setByteOrder(dxStream::bigEndian);
            else if (mark[0] == 0xFF && mark[1] == 0xFE)
                stream.setByteOrder(dxStream::littleEndian);
            else
                code = 2;
            if (code == 0 && size % 2 != 0)
                code = 3;
            if (code == 0 && size > kMaxTableBytes)
                code = 4;
            if (code == 0) {
                std::vector<unsigned char> bytes(static_cast<std::size_t>(size - 2));
                stream.read_byte(bytes.data(), bytes.size());
                std::vector<unsigned short> units(bytes.size() / 2);
                for (std::size_t i = 0; i < units.size(); ++i)
                    stream.buffer2_to_Uint2(&bytes[2 * i], &units[i]);
                text = UniString(std::move(units));
            }
        }
    } catch (...) {
        code = 4;
    }
    stream.setByteOrder(savedOrder);
    try {
        stream.setPos(savedPos, true);
    } catch (...) {
        if (code == 4)
            code = 5;
    }
    return code;
}

bool dxStringBase::open(const UniString& resourceName)
{
    try {
        PointerHolder<dxStream> s(new dxStream(dxStream::sourceFile));
        if (!open_resource_file(*s, resourceName, dxStream::readPermission, false))
            return false;
        stream_ = s;
        return true;
    } catch (...) {
        return false;
    }
}

template <class F>
bool dxStringBase::forEachLine(F f)
{
    if (text_.empty()) {
        if (stream_.isNull())
            return false;
        UniString t;
        if (FileUTF16::readFile(t, *stream_) != 0)
            return false;
        text_ = t;
    }
    const std::vector<unsigned short>& u = text_.units();
    const std::size_t n = u.size();
    std::size_t pos = 0;
    // The two tabs are found without regard to line feeds; reading stops when fewer than two
    // are left.
    while (pos < n) {
        std::size_t tab1 = pos;
        while (tab1 < n && u[tab1] != 0x09)
            ++tab1;
        if (tab1 >= n)
            break;
        std::size_t tab2 = tab1 + 1;
        while (tab2 < n && u[tab2] != 0x09)
            ++tab2;
        if (tab2 >= n)
            break;
        std::size_t end = tab2 + 1;
        while (end < n && u[end] != 0x0A)
            ++end;
        f(fieldNumber(u, pos, tab1), fieldNumber(u, tab1 + 1, tab2),
          UniString(std::vector<unsigned short>(u.begin() + static_cast<long>(tab2) + 1, u.begin() + static_cast<long>(end))));
        pos = end + 1;
    }
    return true;
}

long dxStringBase::readBase(long region)
{
    table_.clear();
    std::map<long, UniString> fallback;
    forEachLine([&](long r, long id, UniString text) {
        if (r != 0 && id == 0)
            return; // a language name, not an entry
        if (r == region)
            table_[id] = std::move(text);
        else if (r == 0)
            fallback[id] = std::move(text);
    });
    for (auto& e : fallback)
        table_.emplace(e.first, std::move(e.second));
    text_.clear();
    return static_cast<long>(table_.size());
}

UniString dxStringBase::get(long id) const
{
    auto it = table_.find(id);
    return it == table_.end() ? unknownText() : it->second;
}

const std::map<long, UniString>& dxStringBase::getMenu()
{
    if (!regionsRead_) {
        regionsRead_ = true;
        forEachLine([&](long r, long id, UniString text) {
            if (r != 0 && id == 0)
                regions_[r] = std::move(text);
        });
        text_.clear();
    }
    return regions_;
}

// ---- the two process-wide tables ----

namespace {
using StringSingleton = dxSingleton<StringBase, 1, false>;
using ParameterSingleton = dxSingleton<ParameterBase, 1, false>;
} // namespace

StringBase* get_string_base() { return StringSingleton::ptr(); }
ParameterBase* get_parameter_base() { return ParameterSingleton::ptr(); }

bool open_parambase_file(const UniString& name)
{
    ParameterSingleton::destory();
    ParameterSingleton guard;
    if (!ParameterSingleton::ref().open(name)) {
        ParameterSingleton::destory();
        return false;
    }
    ParameterSingleton::ref().readBase(0);
    return true;
}

bool open_parambase_file(const char* name)
{
    return open_parambase_file(UniString::fromUTF8(name));
}

void close_parambase_file() { ParameterSingleton::destory(); }

UniString get_param_string_by_id(long id)
{
    return ParameterSingleton::ptr() ? ParameterSingleton::ref().get(id) : unknownText();
}

bool open_stringbase_file(const UniString& name)
{
    StringSingleton::destory();
    StringSingleton guard;
    if (!StringSingleton::ref().open(name)) {
        StringSingleton::destory();
        return false;
    }
    return true;
}

void close_stringbase_file() { StringSingleton::destory(); }

long read_string_by_region_code(long region)
{
    return StringSingleton::ptr() ? StringSingleton::ref().readBase(region) : 0;
}

UniString get_string_by_id(long id)
{
    return StringSingleton::ptr() ? StringSingleton::ref().get(id) : unknownText();
}

std::map<long, UniString> get_string_regions()
{
    return StringSingleton::ptr() ? StringSingleton::ref().getMenu() : std::map<long, UniString>();
}

namespace nsp_GMSI {

namespace {

const char* (*languageSource)() = nullptr;

// The C library's view of the messages locale, leaving the program's locale as it was.
std::string cLocaleName()
{
    const char* current = std::setlocale(LC_MESSAGES, nullptr);
    const std::string saved = current ? current : "C";
    const char* chosen = std::setlocale(LC_MESSAGES, "");
    const std::string name = chosen ? chosen : "";
    std::setlocale(LC_MESSAGES, saved.c_str());
    return name;
}

} // namespace

void setLanguageSource(const char* (*source)()) { languageSource = source; }

unsigned short gmsi_GetCurrentLanguageCodeLetter2()
{
    const std::string name = languageSource ? std::string(languageSource() ? languageSource() : "") : cLocaleName();
    // The language part: up to the territory, code set or modifier, at most four letters.
    std::string lang = name.substr(0, name.find_first_of("_.@-"));
    if (lang == "C" || lang == "POSIX")
        return 0;
    if (lang.size() > 4)
        lang.resize(4);
    if (lang.size() < 2)
        return 0;
    const unsigned char a = static_cast<unsigned char>(lang[lang.size() - 2]);
    const unsigned char b = static_cast<unsigned char>(lang[lang.size() - 1]);
    return static_cast<unsigned short>((a << 8) | b);
}

} // namespace nsp_GMSI

} // namespace vemoraVeriglow
