#pragma once

// Host codes recorded in the frame's hostKind.
enum EHost : int
{
    kHostUnidentified = -1,
    kHostUnknown = 0,
    kHostReaper = 1,
    kHostProTools = 2,
    kHostCubase = 3,
    kHostNuendo = 4,
    kHostCakewalk = 5,
    kHostFruity = 7,
    kHostSamplitude = 8,
    kHostLive = 9,
    kHostMelodyne = 12,
    kHostVSTManLib = 13,
    kHostAULab = 14,
    kHostForte = 15,
    kHostChainer = 16,
    kHostAudition = 17,
    kHostOrion = 18,
    kHostSawStudio = 20,
    kHostLogic = 21,
    kHostGarageBand = 22,
    kHostDigital = 23,
    kHostStandalone = 24,
    kHostAudioMulch = 25,
    kHostPreSonus = 26,
    kHostVST3TestHost = 27,
    kHostArdour = 28,
};

// Maps a host's product text to a host code: case-insensitive substring search through a fixed list
// whose order settles texts that name several products. No entry found gives kHostUnknown.
int IdentifyHost(const char* productText);
