#pragma once
// The parameter table ("param.txt": file and window names) and the string table (every text the
// user sees, by language). Both are UTF-16 text files of lines "region<TAB>id<TAB>text".
#include "foundation/holders.h"
#include "foundation/stream.h"
#include "foundation/unistring.h"

#include <map>

namespace vemoraVeriglow {

class FileUTF16 {
public:
    // 0 read; 1 two bytes or less; 2 no byte order mark; 3 odd length; 4 an exception while
    // reading; 5 that, and the position could not be put back either. The stream's position
    // and byte order are restored in every case.
    static int readFile(vemora::UniString& text, vemora::dxStream& stream);
};

class dxStringBase {
public:
    virtual ~dxStringBase() = default;

    // Opens the table's file for reading and keeps it open while the table exists.
    bool open(const vemora::UniString& resourceName);
    // Loads the entries of `region`, with region 0 as the fallback; the number of entries.
    long readBase(long region);
    // The entry's text, or "???".
    vemora::UniString get(long id) const;
    // Region code to language name (lines whose id is 0), filled on the first call.
    const std::map<long, vemora::UniString>& getMenu();

    // For tests and tools: a table over any stream.
    void attach(vemora::PointerHolder<vemora::dxStream> stream) { stream_ = stream; }

private:
    struct Line {
        long region, id;
        vemora::UniString text;
    };
    template <class F>
    bool forEachLine(F f);

    vemora::UniString text_;
    vemora::PointerHolder<vemora::dxStream> stream_;
    std::map<long, vemora::UniString> regions_;
    bool regionsRead_ = false;
    std::map<long, vemora::UniString> table_;
};

class StringBase : public dxStringBase {};
class ParameterBase : public dxStringBase {};

bool open_parambase_file(const vemora::UniString& name);
bool open_parambase_file(const char* name);
void close_parambase_file();
vemora::UniString get_param_string_by_id(long id);

bool open_stringbase_file(const vemora::UniString& name);
void close_stringbase_file();
long read_string_by_region_code(long region);
vemora::UniString get_string_by_id(long id);
// The language menu of the string table (empty when it is not open).
std::map<long, vemora::UniString> get_string_regions();

StringBase* get_string_base();
ParameterBase* get_parameter_base();

namespace nsp_GMSI {
// The current language as two letters packed into 16 bits ('d' << 8 | 'e'); 0 when unknown.
unsigned short gmsi_GetCurrentLanguageCodeLetter2();
// Replaces how the language is found (the platform layer installs its own); null restores
// the C library's locale.
void setLanguageSource(const char* (*source)());
} // namespace nsp_GMSI

} // namespace vemoraVeriglow
