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
