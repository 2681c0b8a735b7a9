#include "raster/PIX_Resources.h"

#include "PIX_EmbeddedImages.h"

std::span<const PIX_ImageInfo> PIX_ImageTable()
{
    return {PIX_kEmbeddedImageTable, PIX_kEmbeddedImageCount};
}

const PIX_ImageInfo* PIX_FindImageInfo(int id)
{
    for (const PIX_ImageInfo& info : PIX_ImageTable())
        if (info.id == id) return &info;
    return nullptr;
}

PIX_Resource PIX_FindResource(int id)
{
    for (std::size_t i = 0; i < PIX_kEmbeddedImageCount; ++i)
        if (PIX_kEmbeddedImageTable[i].id == id) return PIX_kEmbeddedImageData[i];
    return {};
}
