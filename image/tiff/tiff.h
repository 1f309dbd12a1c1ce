#pragma once
// Reader of strip-organised TIFF files (TIFF 6.0): 8- and 16-bit samples, chunky or planar,
// uncompressed or LZW (with or without the horizontal predictor), WhiteIsZero, BlackIsZero,
// RGB, Separated (CMYK, with DotRange) and CIELab. Every IFD is parsed; what the reader cannot
// decode is marked per IFD with a status, which callers check before they load pixels.
#include "foundation/stream.h"
#include "image/generic_image.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vemora {

class dxTIFF {
public:
    using Byteorder_type = uint16_t;
    enum : Byteorder_type { orderII = 0x4949, orderMM = 0x4D4D };

    // IFD status codes.
    enum : int32_t {
        statusOK = 0,
        statusCompression = 1,
        statusPhotometric = 2,
        statusResolutionUnit = 4,
        statusFieldType = 6,
        statusStripTables = 7,
        statusIOError = 8
    };

    struct IFD_struct {
        int32_t status = statusOK;
        uint32_t ifd_offset = 0;
        uint16_t entry_count = 0;
        uint32_t entry_pos = 0;
        uint32_t width = 0;
        uint32_t length = 0;
        uint16_t samples_per_pixel = 0;
        double x_resolution = 0;
        double y_resolution = 0;
        uint16_t resolution_unit = 0;
        uint16_t photometric = 0;
        uint16_t compression = 0;
        uint16_t planar_config = 1;
        uint16_t color_map_count = 0;
        uint32_t color_map_pos = 0;
        bool has_icc_profile = false;
        uint32_t icc_profile_offset = 0;
        uint16_t predictor = 1;
        // SampleFormat (339): 1 unsigned integers; signed and floating-point samples are not
        // decoded.
        uint16_t sample_format = 1;
        std::vector<uint32_t> strip_offsets;
        std::vector<uint32_t> rows_per_strip;
        std::vector<uint32_t> strip_byte_counts;
        std::vector<uint16_t> bits_per_sample;
        std::vector<uint16_t> extra_samples;
        std::vector<uint16_t> dot_range;

        // Channels implied by the photometric value, extra samples left out.
        int GetStandardChannel() const;
        int GetChannel() const { return samples_per_pixel; }
        int GetBytePerChannel() const;
        // Bytes of one chunky row (0 for sample sizes other than 8 and 16 bits).
        std::size_t GetRowBytes() const;
        std::size_t GetStripCount() const { return strip_offsets.size(); }
        uint32_t GetBytePerStrip(std::size_t i) const;
        uint32_t GetRowCountPerStrip(std::size_t i) const;
    };

    struct DotRange {
        uint16_t low = 0;
        uint16_t high = 0;
        uint16_t span = 0;
    };

    struct ScanLineInfo {
        uint32_t width = 0;
        int channels = 0;
        int bytes_per_channel = 0;
        int bytes_per_pixel = 0;
        std::size_t row_bytes = 0;
        uint16_t photometric = 0;
        bool planar = false;
        std::vector<DotRange> dot_ranges;
    };

    dxTIFF();
    dxTIFF(const dxTIFF&) = delete;
    dxTIFF& operator=(const dxTIFF&) = delete;

    // Whether the stream starts with a TIFF header; position and byte order are kept.
    static bool IsTIFF(dxStream& stream);

    // Parses the header and every IFD. Throws -1503 "Read TIFF error" on any failure.
    bool Read(dxStream& stream);
    bool Is_IFDOK(std::size_t index) const { return ifds[index].status == statusOK; }
    const IFD_struct& GetIFD(std::size_t index) const { return ifds[index]; }
    std::size_t GetIFDCount() const { return ifds.size(); }
    Byteorder_type GetByteOrder() const { return byte_order; }

    void get_image_format(BitmapFormat* format, std::size_t index, bool with_extra_samples) const;
    void get_dot_range_array(std::vector<DotRange>* ranges, std::size_t index) const;

    // Decodes IFD index into image. Throws -1509 "Load image error" on any failure, also for
    // an IFD this reader cannot decode and for an image larger than the machine can hold.
    bool load_image(GenericImage* image, std::size_t index);

    // LZW-decodes one strip (compression 5); any other compression decodes nothing.
    bool decode(unsigned char* dst, std::size_t* produced, const unsigned char* src, std::size_t src_length,
                const IFD_struct& ifd, std::size_t expected);

    static void byteorder_to_host(unsigned char* buffer, std::size_t length, int sample_size, Byteorder_type order);
    // Undoes horizontal differencing over the whole rows of the buffer.
    static void predict_accumulate(unsigned char* buffer, uint32_t width, std::size_t length, int bytes_per_sample,
                                   int samples_per_pixel);

    static void scanlineRGBLAB(unsigned char* dst, const unsigned char* src, const ScanLineInfo& info, int plane);
    static void scanlineCMYK(unsigned char* dst, const unsigned char* src, const ScanLineInfo& info, int plane);
    static void scanlineBnW(unsigned char* dst, const unsigned char* src, const ScanLineInfo& info, int plane,
                            bool invert);

    // The largest pixel buffer load_image allocates: what the machine's memory can hold.
    static std::size_t max_image_bytes();

private:
    void ReadHeader();
    uint32_t ReadIFD(uint32_t offset);
    void AddSupportedPhoto(uint32_t v) { supported_photometrics.push_back(v); }
    void AddSupportedCompression(uint32_t v) { supported_compressions.push_back(v); }
    void load(GenericImage* image, std::size_t index);

    dxStream* stream = nullptr;
    bool used = false;
    uint32_t first_ifd = 0;
    Byteorder_type byte_order = orderMM;
    std::vector<IFD_struct> ifds;
    std::vector<uint32_t> supported_photometrics;
    std::vector<uint32_t> supported_compressions;
};

} // namespace vemora
