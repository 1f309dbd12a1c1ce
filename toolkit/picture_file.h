#pragma once
// Reading one interface picture file (TIFF) into a toolkit image. This is the only place that
// decodes picture files; the decoder stands behind one function so the reader of the image
// library plugs in here.
#include "toolkit/picture.h"

#include "foundation/carbon_file.h"

namespace vemora::nsp_Carbon {

using PictureFileReader = bool (*)(const FSRef& file, ToolkitImageHolder& out);

// Replaces the decoder (tests install a reference one); null restores the system's TIFF reader.
void set_picture_file_reader(PictureFileReader reader);
bool read_tiff_picture(const FSRef& file, ToolkitImageHolder& out);
bool read_picture_file(const FSRef& file, ToolkitImageHolder& out);

} // namespace vemora::nsp_Carbon
