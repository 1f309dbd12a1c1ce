#pragma once
// Interface pictures, keyed by (class, index) and loaded once from the picture folder that a
// description file lists; and the application's own cursors made from such pictures.
#include "toolkit/it8_reader.h"
#include "toolkit/picture.h"
#include "toolkit/platform/platform.h"

#include "foundation/holders.h"
#include "foundation/location.h"

#include <map>
#include <string>
#include <vector>

namespace vemora::nsp_Carbon {

struct ImgResID {
    int32_t id_class = 0;
    int32_t id = 0;
    bool operator<(const ImgResID& o) const { return id_class != o.id_class ? id_class < o.id_class : id < o.id; }
    bool operator==(const ImgResID& o) const { return id_class == o.id_class && id == o.id; }
};

struct ImgResItem {
    // Owns one platform image and releases it with the last holder.
    class CGImageWapper {
    public:
        explicit CGImageWapper(platform::CGImageRef image) : image_(image) {}
        ~CGImageWapper() { platform::CGImageRelease(image_); }
        CGImageWapper(const CGImageWapper&) = delete;
        CGImageWapper& operator=(const CGImageWapper&) = delete;
        platform::CGImageRef get() const { return image_; }

    private:
        platform::CGImageRef image_;
    };

    ToolkitImageHolder image;
    PointerHolder<CGImageWapper> cgimage;
};

class ImgResourceMng {
public:
    // Reads the description file in the resource folder and every picture it lists from the
    // picture folder; false at the first problem (pictures stored before it stay).
    bool read_image(const DirLocation& resourceFolder, const BasicUniString<unsigned short>& fileName,
                    const DirLocation& pictureFolder);
    static void set_reader(nsp_It8TypeReader::Reader& reader);
    ToolkitImageHolder get_image(int32_t idClass, int32_t id) const;
    // Made on the first request and kept; null when there is no such picture.
    platform::CGImageRef get_cgimage(int32_t idClass, int32_t id);
    size_t size() const { return items_.size(); }

private:
    std::map<ImgResID, ImgResItem> items_;
};

class CustomCursor {
public:
    CustomCursor() = default;
    ~CustomCursor();
    CustomCursor(const CustomCursor&) = delete;
    CustomCursor& operator=(const CustomCursor&) = delete;

    // Picture and mask: RGB pictures of one size (a missing mask shows every pixel).
    bool assign(const BasicUniString<unsigned short>& name, const ToolkitImage& picture, const ToolkitImage* mask,
                int16_t v, int16_t h);
    void show() const;
    const std::string& get_name() const { return name8_; }

private:
    BasicUniString<unsigned short> name_;
    std::string name8_;
    std::vector<unsigned char> image_world_, mask_world_; // 32-bit pixels: filler, R, G, B
    bool assigned_ = false;
};

class CarbonCursorMng {
public:
    // False when the number is taken or the cursor cannot be made.
    bool add_cursor(int32_t number, const ToolkitImageHolder& picture, const ToolkitImageHolder& mask, int16_t v,
                    int16_t h);
    // Below 100 a theme cursor; otherwise the registered cursor, or the arrow.
    void show(int32_t number) const;
    static void show_normal();
    bool has_cursor(int32_t number) const { return cursors_.count(number) != 0; }

private:
    std::map<int32_t, PointerHolder<CustomCursor>> cursors_;
};

} // namespace vemora::nsp_Carbon
