#pragma once
// The soft proof of a whole image as one RGB page, and that page as a PNG file.
#include "engine/color_space.h"
#include "image/generic_image.h"

#include <string>
#include <vector>

namespace vemoraVeriglow {

// The page a proof window shows at 100 %: every pixel through the link into 8-bit RGBx, or,
// without a link (native display), the image's own RGB bytes. Bands of rows are converted on
// `threads` threads (0: one per core); the link is only read.
void render_page(vemora::GenericImage* page, const vemora::GenericImage& image,
                 const vemora::cms::vemICC::nsp_VCE::ColorSpace* link, unsigned threads);

// Writes the RGBx page as an 8-bit RGB PNG carrying `profile` (the display profile's bytes) in
// its iCCP chunk. The file appears under `path` complete or not at all: it is written under a
// temporary name in the same folder and renamed. False with `error` set on failure.
bool write_png(const std::string& path, const vemora::GenericImage& page, const std::vector<unsigned char>& profile,
               const std::string& profileName, std::string* error);

} // namespace vemoraVeriglow
