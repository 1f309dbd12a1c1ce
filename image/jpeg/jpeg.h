#pragma once
// JPEG files decoded by libjpeg (API version 62) into a GenericImage, with the payloads of
// chosen marker segments kept, from which an ICC profile split over APP2 "ICC_PROFILE"
// segments is reassembled. The reader never throws for a bad file: read_jpeg answers false.
#include "foundation/holders.h"
#include "foundation/stream.h"
#include "image/generic_image.h"

#include <cstdint>
#include <map>
#include <vector>

struct jpeg_decompress_struct;

namespace vemora {

class dxJPEG {
public:
    struct Chunk {
        uint32_t marker = 0;
        std::vector<unsigned char> data; // the segment payload, without its length field
    };

    using IdMap = std::map<const void*, dxJPEG*>;
    struct ReleaseIdMap {
        static void release(IdMap* map) { delete map; }
    };
    using IdMapHolder = ObjectHolder<IdMap*, ReleaseIdMap>;

    dxJPEG();
    ~dxJPEG();
    dxJPEG(const dxJPEG&) = delete;
    dxJPEG& operator=(const dxJPEG&) = delete;

    // Whether the stream starts with the SOI marker; the position is kept.
    static bool is_jpeg(dxStream& stream);
    // The markers to keep for an embedded profile: APP2.
    static std::vector<uint32_t> get_icc_profile_marker();
    static int32_t get_pixel_color_by_jpeg_color(int jpeg_color_space);

    // Decodes the file behind the stream (read by libjpeg's stdio source, not through the
    // stream) and keeps every segment whose marker is listed. False on any failure.
    bool read_jpeg(const std::vector<uint32_t>& markers, dxStream& stream);
    PointerHolder<GenericImage> get_image() const { return image; }
    // Appends the reassembled profile; false when the file holds no complete profile. The
    // segments used are removed, so a second call answers false.
    bool get_icc_profile(std::vector<unsigned char>& bytes);
    const std::vector<Chunk>& get_chunks() const { return chunks; }

    // The libjpeg callbacks reach their reader through a process-wide registry keyed by the
    // decompressor.
    void register_id_checker(const jpeg_decompress_struct* cinfo);
    void unregister_id_checker(const jpeg_decompress_struct* cinfo);
    static dxJPEG* get_host(const jpeg_decompress_struct* cinfo);
    static bool has_id_checker() { return singleIdChecker_.get() != nullptr; }

    void add_chuck(Chunk chunk) { chunks.push_back(std::move(chunk)); }

    // Implementation hooks for the decoding frame and the marker processor.
    bool make_image(const BitmapFormat& format) noexcept;
    unsigned char* new_chunk(uint32_t marker, std::size_t length) noexcept;
    bool invert() const { return invert_cmyk; }
    unsigned char* image_bitmap() const { return image.isNull() ? nullptr : image->get_bitmap(); }

private:
    PointerHolder<GenericImage> image;
    std::vector<Chunk> chunks;
    IdMapHolder id_map_ref;
    const bool invert_cmyk = true;

    static IdMapHolder singleIdChecker_;
    static const unsigned char icc_profile_sign_[12];
};

} // namespace vemora
