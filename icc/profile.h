#pragma once
// Reading a whole ICC profile (header, tag directory, one tag object per entry) and the light
// probes that catalogue whole folders of profiles.
#include "foundation/holders.h"
#include "foundation/stream.h"
#include "foundation/unistring.h"
#include "foundation/value.h"
#include "icc/header.h"
#include "icc/tags/tags.h"

#include <utility>
#include <vector>

namespace vemora {
namespace cms {
namespace vemICC {

// Tag signature and the element's (offset, size), offsets counted from the profile start.
using TagEntry = std::pair<Signature, dxValue2<long, long>>;
using TagDirectory = std::vector<TagEntry>;

struct ICCProfileDescriptionPack {
    uint16_t language = 0;
    uint16_t country = 0;
    BasicUniString<unsigned short> name;
};

void iccProfileRead(dxStream& in, Header* header, TagDirectory* directory, dxStream* buffer, unsigned long start);
void readTagTable(TagDirectory* directory, dxStream& s, unsigned long base);
PointerHolder<Tag> readTagData(dxStream& s, const TagEntry& entry, const Header& header);
// 1: table-based ('A2Bn'/'B2An'), 2: matrix/curve ('rXYZ'...'bTRC'), 0: neither.
long getProfileBase(const TagDirectory& directory);

bool getProfileDescription(std::vector<ICCProfileDescriptionPack>* out, dxStream& s, long base);
bool isICCProfile(dxStream& s, long base);
bool readICCProfileHeader(Header* header, dxStream& s, long base);

class ICCProfile {
public:
    using TagList = std::vector<PointerHolder<Tag>>;

    // The elements of one profile together may be read as many times over as this.
    static constexpr unsigned long long kElementBudget = 64;

    explicit ICCProfile(long start = 0) : start(start) {}

    void read(dxStream& in);
    TagList::iterator find(const Signature& tag);
    Tag* getTagById(const Signature& tag);
    const Tag* getTagById(const Signature& tag) const;

    // A buffering stream holding a copy of the bytes, positioned at 0.
    static dxStream get_data_stream(const unsigned char* data, unsigned long size);

    long start;
    Header header;
    TagDirectory directory;
    TagList tags;
};

} // namespace vemICC
} // namespace cms
} // namespace vemora
