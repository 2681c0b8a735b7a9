#include "frame/IdentifyHost.h"

#include <cctype>
#include <cstring>

namespace
{
struct HostEntry
{
    const char* text;
    EHost code;
};

// Tested in this order; the first contained text wins.
constexpr HostEntry kHosts[] = {
    {"cubase", kHostCubase},
    {"reaper", kHostReaper},
    {"nuendo", kHostNuendo},
    {"cakewalk", kHostCakewalk},
    {"samplitude", kHostSamplitude},
    {"fruity", kHostFruity},
    {"live", kHostLive},
    {"melodyne", kHostMelodyne},
    {"vstmanlib", kHostVSTManLib},
    {"aulab", kHostAULab},
    {"garageband", kHostGarageBand},
    {"forte", kHostForte},
    {"chainer", kHostChainer},
    {"audition", kHostAudition},
    {"orion", kHostOrion},
    {"sawstudio", kHostSawStudio},
    {"logic", kHostLogic},
    {"digital", kHostDigital},
    {"audiomulch", kHostAudioMulch},
    {"presonus", kHostPreSonus},
    {"vst3plugintesthost", kHostVST3TestHost},
    {"protools", kHostProTools},
    {"ardour", kHostArdour},
    {"standalone", kHostStandalone},
};

constexpr int kProductTextSize = 256;
} // namespace

int IdentifyHost(const char* productText)
{
    // Longer texts are cut; no host name needs that many characters.
    char lower[kProductTextSize];
    int n = 0;
    if (productText)
        for (; n < kProductTextSize - 1 && productText[n] != '\0'; ++n)
            lower[n] = static_cast<char>(std::tolower(static_cast<unsigned char>(productText[n])));
    lower[n] = '\0';

    for (const HostEntry& entry : kHosts)
        if (std::strstr(lower, entry.text)) return entry.code;
    return kHostUnknown;
}
