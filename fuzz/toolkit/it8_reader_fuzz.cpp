// Reads arbitrary bytes as a picture description file, configured as the picture manager
// configures it, then walks every row of the table it found.
#include "toolkit/image_resources.h"
#include "toolkit/it8_reader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vemora;
    using namespace vemora::nsp_It8TypeReader;
    Reader reader;
    nsp_Carbon::ImgResourceMng::set_reader(reader);
    Text text;
    text.assign(data, 0, static_cast<unsigned long>(size));
    if (!reader.readRawString(text))
        return 0;
    auto t = [](const char* s) {
        Text x;
        x.assign(reinterpret_cast<const unsigned char*>(s), 0, Text::charLength(s));
        return x;
    };
    std::vector<long> pos;
    reader.getFormatDataPos(pos, {{t("idclass"), 0}, {t("id"), 0}, {t("dir"), 1}, {t("image"), 0}});
    if (reader.getRowCount() * reader.getColumnCount() > reader.getValueCount())
        std::abort();
    std::vector<Word> row;
    for (long r = -1; r <= reader.getRowCount(); ++r)
        if (reader.getWordsByFormatDataPos(row, pos, r) != (r >= 0 && r < reader.getRowCount()) || row.size() != 4)
            std::abort();
    return 0;
}
