#include "documents/sample_readout.h"

#include "app/string_table.h"
#include "engine/color_space.h"
#include "image/pixel_ops.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace vemoraVeriglow {

using namespace vemora;
using namespace vemora::cms::vemICC::nsp_VCE;

namespace {

std::string format(const char* f, long a, long b, long c = 0, long d = 0)
{
    char text[96];
    std::snprintf(text, sizeof text, f, static_cast<int>(a), static_cast<int>(b), static_cast<int>(c),
                  static_cast<int>(d));
    return text;
}

// The sampled means as one pixel in the image's own encoding, read the way the chain reads it.
VCEColor imageValue(const long* means, const BitmapFormat& f)
{
    VCEColor c{};
    const int n = f.channel_count;
    unsigned char bytes[16] = {};
    unsigned short words[16] = {};
    for (int k = 0; k < n && k < 16; ++k) {
        bytes[k] = static_cast<unsigned char>(means[k]);
        words[k] = static_cast<unsigned short>(means[k]);
    }
    const bool wide = f.bytes_per_channel == 2;
    switch (f.color_mode) {
    case BitmapFormat::modeTiffLab:
        wide ? tiffLab16_to_VCELab(words, &c) : tiffLab8_to_VCELab(bytes, &c);
        return c;
    case BitmapFormat::modePxLab:
        wide ? pxLab16_to_VCELab(words, &c) : pxLab8_to_VCELab(bytes, &c);
        return c;
    case BitmapFormat::modeCMYK:
        c.colorSpace = kCMYKSpace;
        break;
    case BitmapFormat::modeRGB:
        c.colorSpace = kRGBSpace;
        break;
    default:
        c.colorSpace = static_cast<uint32_t>(n);
        break;
    }
    const int channels = f.color_mode == BitmapFormat::modeCMYK  ? 4
                         : f.color_mode == BitmapFormat::modeRGB ? 3
                                                                  : std::min(n, 15);
    for (int k = 0; k < channels && k < n; ++k)
        c.channel[k] = static_cast<int32_t>(wide ? words[k] : bit8_to_bit16(bytes[k]));
    return c;
}

} // namespace

std::string sample_color_text(const VCEColor& c)
{
    switch (c.colorSpace) {
    case kRGBSpace:
        return format("R: %d G: %d B: %d", c.channel[0] / 257, c.channel[1] / 257, c.channel[2] / 257);
    case kCMYKSpace: {
        auto pct = [](int32_t v) { return std::lround(v / 655.35); };
        return format("C: %d M: %d Y: %d K: %d", pct(c.channel[0]), pct(c.channel[1]), pct(c.channel[2]),
                      pct(c.channel[3]));
    }
    case kLabSpace:
        return format("L: %d a: %d b: %d", std::lround(c.channel[0] * 0.0015259021896696422),
                      std::lround(c.channel[1] / 256.0 - 128), std::lround(c.channel[2] / 256.0 - 128));
    default:
        return "Unknown";
    }
}

VCEColor sample_stage_color(const VCEColor& color, const BaseProfile* profile)
{
    VCEColor c = color;
    if (c.colorSpace == kDevcSpace && profile) {
        const ColorMode device = profile->getDCSColor();
        if (device == colorModeRGB)
            c.colorSpace = kRGBSpace;
        else if (device == colorModeCMYK)
            c.colorSpace = kCMYKSpace;
    }
    if (c.colorSpace == kXYZSpace) {
        VCEColor lab = c;
        VCEXYZ_to_VCELab(c, &lab);
        c = lab;
    }
    return c;
}

bool read_sample(SampleReadout* out, const Proof& proof, const GenericImage& image, long x, long y, long size)
{
    const BitmapFormat& f = image.get_bitmap_format();
    long means[64] = {};
    if (f.channel_count <= 0 || f.channel_count > 64 || !get_pixel_sample(means, x, y, size, image))
        return false;
    *out = SampleReadout();
    out->position = format("H: %d V: %d", x, y);
    out->lab_image = f.color_mode == BitmapFormat::modePxLab;

    VCEColor c = imageValue(means, f);
    out->value = sample_color_text(c);

    std::vector<VCEColor> steps;
    ColorSpace::get_sequence_color(&steps, &c, proof.sequence);
    const std::size_t room = kSampleLines - 1 - (out->lab_image ? 1 : 0);
    for (std::size_t i = 0; i < steps.size() && i < room; ++i)
        out->stages.push_back(sample_color_text(sample_stage_color(steps[i], proof.sequence[i].first.get())));

    const std::vector<PNodeSetting>& nodes = proof.setting.nodes;
    for (std::size_t i = 0; i < 4 && i < nodes.size(); ++i)
        out->names[i] = nodes[i].is_lab ? get_string_by_id(2450).toUTF8() : nodes[i].pack.description.toUTF8();
    return true;
}

} // namespace vemoraVeriglow
