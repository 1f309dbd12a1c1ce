#pragma once
// The real profiles the ICC tests and benchmarks read: everything icc-profiles-free, colord-data
// and libgs-common install under /usr/share/color/icc, Argyll's reference profiles, and the
// generated press profiles of tests/icc/profiles.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace icctest {

inline std::vector<std::filesystem::path> profileFiles()
{
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    const fs::path roots[] = {"/usr/share/color/icc", "/usr/share/color/argyll/ref",
                              fs::path(VERIGLOW_SOURCE_DIR) / "tests/icc/profiles"};
    for (const fs::path& root : roots) {
        std::error_code ec;
        if (!fs::is_directory(root, ec))
            continue;
        for (const auto& e : fs::recursive_directory_iterator(root)) {
            std::string ext = e.path().extension().string();
            std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
            if (e.is_regular_file() && (ext == ".icc" || ext == ".icm"))
                files.push_back(e.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

inline std::vector<unsigned char> fileBytes(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace icctest
