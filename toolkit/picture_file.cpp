#include "toolkit/picture_file.h"

#include <cstdio>

namespace vemora::nsp_Carbon {

namespace {
PictureFileReader g_reader = nullptr;
}

void set_picture_file_reader(PictureFileReader reader)
{
    g_reader = reader;
}

bool read_picture_file(const FSRef& file, ToolkitImageHolder& out)
{
    if (!g_reader) {
        std::printf("no picture decoder for %s\n", file.path.c_str());
        return false;
    }
    return g_reader(file, out);
}

} // namespace vemora::nsp_Carbon
