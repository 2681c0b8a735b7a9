#pragma once

#include <cstddef>
#include <span>

// One row of the editor's image table (resources/images.txt).
struct PIX_ImageInfo
{
    int id;
    const char* name;
    int width;
    int height;
    int frames; // 0: no control uses the image
};

// Bytes of an embedded image; data is null when the image is not in this build.
struct PIX_Resource
{
    const unsigned char* data = nullptr;
    std::size_t size = 0;
};

// Every image the editor knows, in table order, whether or not its file was embedded.
std::span<const PIX_ImageInfo> PIX_ImageTable();

// The table row with that id, or none.
const PIX_ImageInfo* PIX_FindImageInfo(int id);

// The embedded PNG bytes of that id; empty when the id is unknown or its file was not built in.
PIX_Resource PIX_FindResource(int id);
