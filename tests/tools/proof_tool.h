#pragma once
// Running the built veriglow-proof as a child process and reading the PNG it writes.
#include "../support/temp_dir.h"

#include <png.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace vgtest {

inline const std::string kTool = VERIGLOW_BINARY_DIR "/bin/veriglow-proof";
inline const std::string kSourceDir = VERIGLOW_SOURCE_DIR;
inline const std::string kSRGB = kSourceDir + "/resources/profiles/Veriglow sRGB.icc";
inline const std::string kFogra = kSourceDir + "/resources/profiles/Veriglow Coated FOGRA39.icc";

inline std::string corpus(const std::string& leaf)
{
    const bool jpeg = leaf.size() > 4 && leaf.compare(leaf.size() - 4, 4, ".jpg") == 0;
    return kSourceDir + (jpeg ? "/tests/image/jpeg/" : "/tests/image/tiff/") + leaf;
}

struct RunResult {
    int status = -1; // the exit status, or -1 when the tool did not exit normally
    std::string out, err;
};

inline std::string fileText(const std::filesystem::path& p)
{
    const std::vector<unsigned char> b = readFile(p);
    return std::string(b.begin(), b.end());
}

// Runs the tool with `args`; its user settings come from `config` (an empty folder keeps the
// user's preferences out of the result). Standard output and error are collected in files
// inside `config` so that neither pipe can fill up. A `fileSizeLimit` of 0 or more makes every
// write beyond that many bytes of a file fail (EFBIG), as on a full disk.
inline RunResult runTool(const std::vector<std::string>& args, const TempDir& config, long fileSizeLimit = -1)
{
    const std::string outPath = (config / ".stdout").string(), errPath = (config / ".stderr").string();
    const pid_t pid = fork();
    if (pid == 0) {
        const int o = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int e = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (o < 0 || e < 0 || dup2(o, 1) < 0 || dup2(e, 2) < 0)
            _exit(127);
        setenv("XDG_CONFIG_HOME", config.str().c_str(), 1);
        if (fileSizeLimit >= 0) {
            std::signal(SIGXFSZ, SIG_IGN); // stays ignored across exec
            const rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(kTool.c_str()));
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(kTool.c_str(), argv.data());
        _exit(127);
    }
    RunResult r;
    int wstatus = 0;
    if (pid < 0 || waitpid(pid, &wstatus, 0) != pid)
        return r;
    r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    r.out = fileText(outPath);
    r.err = fileText(errPath);
    std::filesystem::remove(outPath);
    std::filesystem::remove(errPath);
    return r;
}

struct Png {
    unsigned width = 0, height = 0;
    int bitDepth = 0, colorType = -1;
    std::vector<unsigned char> rgb; // width * height * 3
    bool hasIccp = false;
    std::vector<unsigned char> iccp; // the decompressed profile
};

namespace detail {

// The libpng part, with nothing that has a destructor: its errors leave by longjmp.
inline bool decodePng(std::FILE* f, Png* out, std::vector<png_bytep>* rows)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, f);
    png_read_info(png, info);
    out->width = png_get_image_width(png, info);
    out->height = png_get_image_height(png, info);
    out->bitDepth = png_get_bit_depth(png, info);
    out->colorType = png_get_color_type(png, info);
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 length = 0;
    if (png_get_iCCP(png, info, &name, &compression, &profile, &length) == PNG_INFO_iCCP) {
        out->hasIccp = true;
        out->iccp.assign(profile, profile + length);
    }
    if (out->colorType != PNG_COLOR_TYPE_RGB || out->bitDepth != 8 || out->width > 10000 || out->height > 10000) {
        png_destroy_read_struct(&png, &info, nullptr);
        return true; // the caller checks the header
    }
    out->rgb.assign(static_cast<std::size_t>(out->width) * out->height * 3, 0);
    rows->resize(out->height);
    for (unsigned y = 0; y < out->height; ++y)
        (*rows)[y] = out->rgb.data() + static_cast<std::size_t>(y) * out->width * 3;
    png_read_image(png, rows->data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

} // namespace detail

inline bool readPng(const std::filesystem::path& path, Png* out)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    std::vector<png_bytep> rows;
    const bool ok = detail::decodePng(f, out, &rows);
    std::fclose(f);
    return ok;
}

} // namespace vgtest
