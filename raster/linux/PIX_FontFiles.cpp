#include "raster/PIX_FontFiles.h"

#include <fontconfig/fontconfig.h>

#include <strings.h>

namespace
{
bool SameFamily(FcPattern* match, const char* wanted)
{
    FcChar8* family = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i)
        if (strcasecmp(reinterpret_cast<const char*>(family), wanted) == 0) return true;
    return false;
}

// Best file for the request through fontconfig; empty when nothing matches.
bool FindFace(const char* family, const PIX_FontRequest& request, std::string& file, int& index,
              std::string& foundFamily, bool& exact)
{
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return false;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(request.weight > 0 ? request.weight : 400));
    FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return false;
    FcChar8* path = nullptr;
    FcChar8* name = nullptr;
    bool ok = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch;
    if (ok)
    {
        file = reinterpret_cast<const char*>(path);
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
        foundFamily = FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch
                          ? reinterpret_cast<const char*>(name)
                          : "";
        exact = SameFamily(match, family);
    }
    FcPatternDestroy(match);
    return ok;
}

bool HasStandIn(const char* face)
{
    return strcasecmp(face, "Arial") == 0 || strcasecmp(face, "Verdana") == 0;
}
} // namespace

bool PIX_FindFontFile(const char* face, const PIX_FontRequest& request, std::string& file, int& index,
                      std::string& family)
{
    bool exact = false;
    if (!FcInit() || !FindFace(face, request, file, index, family, exact)) return false;
    if (!exact && HasStandIn(face))
    {
        std::string standInFile;
        std::string standInFamily;
        int standInIndex = 0;
        bool standInExact = false;
        if (FindFace("Liberation Sans", request, standInFile, standInIndex, standInFamily, standInExact) &&
            standInExact)
        {
            file = standInFile;
            index = standInIndex;
            family = standInFamily;
        }
    }
    return true;
}
