#include "raster/PIX_Resources.h"

#include "PIX_EmbeddedImages.h"

// On Linux the images are compiled into the library as byte arrays (see raster/CMakeLists.txt).
PIX_Resource PIX_FindResource(int id)
{
    for (std::size_t i = 0; i < PIX_kEmbeddedImageCount; ++i)
        if (PIX_kEmbeddedImageTable[i].id == id) return PIX_kEmbeddedImageData[i];
    return {};
}
