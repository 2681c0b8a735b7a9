#include "raster/PIX_Resources.h"

#include <cstdio>
#include <map>
#include <string>
#include <vector>

// In the browser the images are files the page's module carries under /images (web/CMakeLists.txt
// bundles the ones the editor draws), read when first asked for and kept for the module's life. A
// module without them (the audio worklet's) finds none, and draws nothing.
PIX_Resource PIX_FindResource(int id)
{
    static std::map<int, std::vector<unsigned char>> loaded;
    if (const auto found = loaded.find(id); found != loaded.end())
        return found->second.empty() ? PIX_Resource{}
                                     : PIX_Resource{found->second.data(), found->second.size()};
    const PIX_ImageInfo* info = PIX_FindImageInfo(id);
    std::vector<unsigned char>& bytes = loaded[id];
    if (!info) return {};
    if (std::FILE* file = std::fopen((std::string("/images/") + info->name).c_str(), "rb"))
    {
        unsigned char buffer[65536];
        std::size_t count = 0;
        while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            bytes.insert(bytes.end(), buffer, buffer + count);
        std::fclose(file);
    }
    return bytes.empty() ? PIX_Resource{} : PIX_Resource{bytes.data(), bytes.size()};
}
