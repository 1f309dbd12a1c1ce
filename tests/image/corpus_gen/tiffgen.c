/* Writes the TIFF files of the image test corpus that the command-line tools cannot make:
 * CIELab, DotRange, WhiteIsZero 16-bit, float samples, odd strip tables. Built and run by
 * scripts/make-image-corpus; libtiff does the writing. Usage: tiffgen OUTPUT_FOLDER */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <tiffio.h>

enum { W = 23, H = 17 };

static uint32_t pattern(uint32_t x, uint32_t y, int k, int bits)
{
    uint32_t v = (x * 37u + y * 91u + (uint32_t)k * 53u + x * y * 7u) & 0xFFFFu;
    return bits == 8 ? v & 0xFFu : v;
}

static int write_any(const char* dir, const char* name, const char* mode, int planar, int photometric, int spp,
                     int bits, int compression, int predictor, const uint16_t* dot, int dotn, int rows,
                     int sample_format)
{
    char path[1024];
    snprintf(path, sizeof path, "%s/%s", dir, name);
    TIFF* t = TIFFOpen(path, mode);
    if (!t)
        return 1;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, (uint32_t)W);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, (uint32_t)H);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, (uint16_t)spp);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, (uint16_t)bits);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, (uint16_t)photometric);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, (uint16_t)(planar ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG));
    TIFFSetField(t, TIFFTAG_COMPRESSION, (uint16_t)compression);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, (uint32_t)rows);
    if (sample_format != 1)
        TIFFSetField(t, TIFFTAG_SAMPLEFORMAT, (uint16_t)sample_format);
    if (predictor != 1)
        TIFFSetField(t, TIFFTAG_PREDICTOR, (uint16_t)predictor);
    if (photometric == PHOTOMETRIC_SEPARATED)
        TIFFSetField(t, TIFFTAG_INKSET, (uint16_t)INKSET_CMYK);
    if (dotn == 2)
        TIFFSetField(t, TIFFTAG_DOTRANGE, dot[0], dot[1]);
    int bps = bits / 8;
    unsigned char* row = calloc((size_t)W * spp, (size_t)bps);
    for (int p = 0; p < (planar ? spp : 1); ++p)
    for (uint32_t y = 0; y < H; ++y) {
        for (uint32_t x = 0; x < W; ++x)
            for (int k = 0; k < (planar ? 1 : spp); ++k) {
                uint32_t v = pattern(x, y, planar ? p : k, bits);
                size_t i = planar ? (size_t)x : (size_t)x * spp + (size_t)k;
                if (bits == 8)
                    row[i] = (unsigned char)v;
                else if (bits == 16)
                    ((uint16_t*)row)[i] = (uint16_t)v;
                else
                    ((float*)row)[i] = (float)v / 65535.0f;
            }
        if (TIFFWriteScanline(t, row, y, (uint16_t)p) < 0)
            return 1;
    }
    free(row);
    TIFFClose(t);
    return 0;
}

static int write_image(const char* dir, const char* name, int photometric, int spp, int bits, int compression,
                       int predictor, const uint16_t* dot, int dotn, int rows, int sample_format)
{
    return write_any(dir, name, "w", 0, photometric, spp, bits, compression, predictor, dot, dotn, rows,
                     sample_format);
}

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const char* d = argv[1];
    const uint16_t dot8[2] = {0, 200};
    const uint16_t dot16[2] = {1000, 60000};
    int e = 0;
    e |= write_image(d, "lab8.tif", PHOTOMETRIC_CIELAB, 3, 8, COMPRESSION_NONE, 1, NULL, 0, 5, 1);
    e |= write_image(d, "lab16-lzw.tif", PHOTOMETRIC_CIELAB, 3, 16, COMPRESSION_LZW, 2, NULL, 0, 8, 1);
    e |= write_image(d, "cmyk8-dotrange.tif", PHOTOMETRIC_SEPARATED, 4, 8, COMPRESSION_NONE, 1, dot8, 2, 17, 1);
    e |= write_image(d, "cmyk16-dotrange-lzw.tif", PHOTOMETRIC_SEPARATED, 4, 16, COMPRESSION_LZW, 2, dot16, 2, 4, 1);
    e |= write_image(d, "gray16-miniswhite.tif", PHOTOMETRIC_MINISWHITE, 1, 16, COMPRESSION_LZW, 1, NULL, 0, 6, 1);
    e |= write_image(d, "gray8-miniswhite-lzw-pred.tif", PHOTOMETRIC_MINISWHITE, 1, 8, COMPRESSION_LZW, 2, NULL, 0,
                     3, 1);
    e |= write_image(d, "refused-float32.tif", PHOTOMETRIC_RGB, 3, 32, COMPRESSION_NONE, 1, NULL, 0, 17, 3);
    e |= write_image(d, "refused-int16-signed.tif", PHOTOMETRIC_MINISBLACK, 1, 16, COMPRESSION_NONE, 1, NULL, 0, 17,
                     2);
    e |= write_image(d, "rgb8-extra2-lzw.tif", PHOTOMETRIC_RGB, 5, 8, COMPRESSION_LZW, 2, NULL, 0, 7, 1);
    e |= write_any(d, "rgb16-planar-lzw-pred-ii.tif", "wl", 1, PHOTOMETRIC_RGB, 3, 16, COMPRESSION_LZW, 2, NULL, 0,
                   5, 1);
    e |= write_any(d, "cmyk16-planar-mm.tif", "wb", 1, PHOTOMETRIC_SEPARATED, 4, 16, COMPRESSION_NONE, 1, NULL, 0,
                   17, 1);
    return e;
}
