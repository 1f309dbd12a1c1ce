#pragma once
// What the colour sampler shows for one pixel of a proof: the position, the image's own value
// averaged over a square, the colour after every profile use of the chain and the names of the
// chain's profiles, as texts. The sample panel and the command-line tools print the same texts.
#include "documents/proof.h"
#include "engine/vce_color.h"
#include "image/generic_image.h"

#include <string>
#include <vector>

namespace vemoraVeriglow {

struct SampleReadout {
    std::string position;            // "H: %d V: %d"
    bool lab_image = false;          // an engine-Lab image: the value takes the second line
    std::string value;               // the image value
    std::vector<std::string> stages; // one per profile use, at most as many as the panel shows
    std::string names[4];            // chain nodes 0 … 3; empty past the chain
};

// The stage lines the panel has room for: seven, less one for a Lab image.
constexpr std::size_t kSampleLines = 8;

// False when the square misses the image or the image has samples wider than 2 bytes: the
// panel blanks itself.
bool read_sample(SampleReadout* out, const Proof& proof, const vemora::GenericImage& image, long x, long y, long size);

// One colour as the panel prints it: "R: %d G: %d B: %d", "C: %d M: %d Y: %d K: %d" (percent),
// "L: %d a: %d b: %d", else "Unknown".
std::string sample_color_text(const vemora::cms::vemICC::nsp_VCE::VCEColor& color);

// A stage colour made printable: a device colour takes the colour space of the profile that
// produced it, an XYZ colour becomes Lab.
vemora::cms::vemICC::nsp_VCE::VCEColor sample_stage_color(const vemora::cms::vemICC::nsp_VCE::VCEColor& color,
                                                          const vemora::cms::vemICC::nsp_VCE::BaseProfile* profile);

} // namespace vemoraVeriglow
