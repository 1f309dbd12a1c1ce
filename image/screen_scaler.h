#pragma once
// Nearest-neighbour enlargement of 32-bit display pixels above 100 %: a requested rectangle of
// the enlarged picture is written, packed, into a target buffer.
#include <cstdint>

namespace vemora {

class ScreenScaler {
public:
    void set_source_image(const unsigned char* pixels, unsigned long width, unsigned long height);
    void set_scale(double s);
    void calc_paramter();
    // The ceiling of s × n after rounding the product to six decimals.
    static unsigned long calc_scaled_size(double s, unsigned long n);
    void set_process_coord(unsigned long left, unsigned long top, unsigned long right, unsigned long bottom);
    // The source rectangle the current rectangle reads.
    void get_source_coord(unsigned long* left, unsigned long* top, unsigned long* right, unsigned long* bottom) const;
    // Writes the rectangle into target, processWidth pixels a row.
    void scale();

    const unsigned char* source = nullptr;
    uint32_t sourceWidth = 0;
    uint32_t sourceHeight = 0;
    uint32_t sourceRowBytes = 0;
    double scaleFactor = 1.0;
    uint32_t scaledWidth = 0;
    uint32_t scaledHeight = 0;
    unsigned char* target = nullptr;
    uint32_t left = 0, right = 0, top = 0, bottom = 0;
    uint32_t processWidth = 0, processHeight = 0;
    uint32_t processBytes = 0;
};

} // namespace vemora
