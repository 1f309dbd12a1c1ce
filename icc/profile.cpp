#include "icc/profile.h"

#include "foundation/exception.h"
#include "icc/factories.h"
#include "icc/types/basic_types.h"

namespace vemora {
namespace cms {
namespace vemICC {

void iccProfileRead(dxStream& in, Header* header, TagDirectory* directory, dxStream* buffer, unsigned long start)
{
    try {
        if (buffer && !buffer->isBuffering())
            throw ExceptionDebuggErrorID(-6702, "Found point already in container");
        dxStream own(dxStream::sourceBuffer);
        dxStream& buf = buffer ? *buffer : own;
        const long long previous = in.getPos();
        in.setPos(static_cast<long long>(start), true);
        const unsigned long declared = read_uInt32Number(in);
        in.setPos(static_cast<long long>(start), true);
        buf.gotoBOF();
        // Refuses a declared size beyond the data before anything is allocated for it.
        in.read_bufferStream(&buf, declared);
        buf.gotoBOF();
        in.setPos(previous, true);
        header->iccRead(buf);
        readTagTable(directory, buf, 0);
    } catch (...) {
        throw ExceptionDebuggErrorID(-6700, "Read Profile error");
    }
}

void readTagTable(TagDirectory* directory, dxStream& s, unsigned long base)
{
    s.setPos(static_cast<long long>(base) + 128, true);
    const unsigned long count = read_uInt32Number(s);
    if (count == 0)
        return;
    requireBytes(s, 12ULL * count);
    std::vector<unsigned char> block(12 * static_cast<std::size_t>(count));
    s.read_byte(block.data(), static_cast<unsigned long>(block.size()));
    directory->reserve(directory->size() + count);
    for (unsigned long i = 0; i < count; ++i) {
        const unsigned char* e = &block[12 * i];
        directory->emplace_back(Signature(read_uInt32Number(e)),
                                dxValue2<long, long>(static_cast<long>(read_uInt32Number(e + 4)),
                                                     static_cast<long>(read_uInt32Number(e + 8))));
    }
}

PointerHolder<Tag> readTagData(dxStream& s, const TagEntry& entry, const Header& header)
{
    try {
        Tag* made = getICCTagFactory().createObject(entry.first.get());
        PointerHolder<Tag> tag(made ? made : new UnknowTag(entry.first));
        tag->iccRead(s, &entry.second, &header);
        return tag;
    } catch (...) {
        throw ExceptionDebuggErrorID(-6701, "Read Tag Data error");
    }
}

long getProfileBase(const TagDirectory& directory)
{
    static const unsigned long tables[] = {sig("A2B0"), sig("A2B1"), sig("A2B2"),
                                           sig("B2A0"), sig("B2A1"), sig("B2A2")};
    static const unsigned long matrix[] = {sig("rXYZ"), sig("gXYZ"), sig("bXYZ"),
                                           sig("rTRC"), sig("gTRC"), sig("bTRC")};
    auto any = [&](const unsigned long* list) {
        for (const TagEntry& e : directory)
            for (int i = 0; i < 6; ++i)
                if (e.first.get() == list[i])
                    return true;
        return false;
    };
    if (any(tables))
        return 1;
    if (any(matrix))
        return 2;
    return 0;
}

bool getProfileDescription(std::vector<ICCProfileDescriptionPack>* out, dxStream& s, long base)
{
    TagDirectory directory;
    readTagTable(&directory, s, static_cast<unsigned long>(base));
    const TagEntry* desc = nullptr;
    for (const TagEntry& e : directory) {
        if (e.first.get() == sig("desc")) {
            desc = &e;
            break;
        }
    }
    if (!desc)
        return false;

    dxStream element(dxStream::sourceBuffer);
    s.setPos(static_cast<long long>(base) + desc->second.first, true);
    s.read_bufferStream(&element, static_cast<unsigned long>(desc->second.second));
    element.gotoBOF();
    PointerHolder<Tag> tag(getICCTagFactory().createObject(sig("desc")));
    const dxValue2<long, long> entry(0, desc->second.second);
    tag->iccRead(element, &entry, nullptr);

    const ICCType* type = tag->getImplement();
    if (!type)
        return false;
    if (const auto* d = dynamic_cast<const TextDescriptionType*>(type)) {
        ICCProfileDescriptionPack pack;
        if (d->getString().length() > 0) {
            pack.name.assign(d->getString().c_str());
        } else if (!d->getUniString().empty()) {
            pack.language = static_cast<uint16_t>(d->getLanguageCode() & 0xFFFF);
            pack.name = d->getUniString();
        } else {
            pack.name.assign(d->getScriptString().c_str());
        }
        out->push_back(pack);
        return true;
    }
    if (const auto* m = dynamic_cast<const MultiLocalizedUnicodeType*>(type)) {
        for (const MultiLocalizedUnicodeType::Name& n : m->names) {
            ICCProfileDescriptionPack pack;
            pack.language = n.language;
            pack.country = n.country;
            pack.name = n.name;
            out->push_back(pack);
        }
        return true;
    }
    return false;
}

bool isICCProfile(dxStream& s, long base)
{
    const long long previous = s.getPos();
    s.setPos(static_cast<long long>(base) + 36, true);
    unsigned char magic[4];
    s.read_byte(magic, 4);
    s.setPos(previous, true);
    return read_uInt32Number(magic) == sig("acsp");
}

bool readICCProfileHeader(Header* header, dxStream& s, long base)
{
    try {
        const long long previous = s.getPos();
        s.setPos(static_cast<long long>(base), true);
        dxStream block(dxStream::sourceBuffer);
        s.read_bufferStream(&block, 128);
        block.gotoBOF();
        header->iccRead(block);
        s.setPos(previous, true);
        return true;
    } catch (...) {
        return false;
    }
}

void ICCProfile::read(dxStream& in)
{
    dxStream buffer(dxStream::sourceBuffer);
    try {
        iccProfileRead(in, &header, &directory, &buffer, static_cast<unsigned long>(start));
        // Entries may share elements, and each is read into an object of its own. Thousands of
        // entries on one large element would make the reading quadratic in the profile size;
        // real profiles share an element among a handful of tags at most.
        const unsigned long long budget = kElementBudget * static_cast<unsigned long long>(buffer.getSize());
        unsigned long long spent = 0;
        for (const TagEntry& entry : directory) {
            spent += static_cast<unsigned long long>(entry.second.second);
            if (spent > budget)
                throw ExceptionDebuggErrorID(-6701, "Read Tag Data error");
            tags.push_back(readTagData(buffer, entry, header));
        }
    } catch (...) {
        closeICCTypeFactory();
        closeICCTagFactory();
        throw;
    }
    closeICCTypeFactory();
    closeICCTagFactory();
}

ICCProfile::TagList::iterator ICCProfile::find(const Signature& tag)
{
    for (auto it = tags.begin(); it != tags.end(); ++it)
        if ((*it)->getTagSignature().get() == tag.get())
            return it;
    return tags.end();
}

Tag* ICCProfile::getTagById(const Signature& tag)
{
    auto it = find(tag);
    return it == tags.end() ? nullptr : it->get();
}

const Tag* ICCProfile::getTagById(const Signature& tag) const
{
    return const_cast<ICCProfile*>(this)->getTagById(tag);
}

dxStream ICCProfile::get_data_stream(const unsigned char* data, unsigned long size)
{
    dxStream s(dxStream::sourceBuffer);
    if (size)
        s.write_byte(data, size);
    s.gotoBOF();
    return s;
}

} // namespace vemICC
} // namespace cms
} // namespace vemora
