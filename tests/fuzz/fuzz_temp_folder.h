// A private temporary folder for the fuzz targets that must go through real
// files; made on first use and removed when the program ends.
#pragma once

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

namespace zelo::fuzz {

inline char g_tempFolderName[4096];

inline const std::filesystem::path& TempFolder()
{
    static const std::filesystem::path folder = [] {
        std::string tmpl = (std::filesystem::temp_directory_path() / "zelo_fuzz_XXXXXX").string();
        const char* made = mkdtemp(tmpl.data());
        if (!made) std::abort();
        std::snprintf(g_tempFolderName, sizeof g_tempFolderName, "%s", made);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(std::filesystem::path(g_tempFolderName), ec);
        });
        return std::filesystem::path(made);
    }();
    return folder;
}

// Writes the bytes as they are (no temporary file: speed matters here).
inline void WriteTempFile(const std::filesystem::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace zelo::fuzz
