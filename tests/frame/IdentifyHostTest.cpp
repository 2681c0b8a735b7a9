#include "frame/IdentifyHost.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <utility>

TEST(IdentifyHost, CaseInsensitiveSubstrings)
{
    EXPECT_EQ(IdentifyHost("REAPER"), 1);
    EXPECT_EQ(IdentifyHost("Reaper x64"), 1);
    EXPECT_EQ(IdentifyHost("Ableton Live 9"), 9);
    EXPECT_EQ(IdentifyHost("Audition CS6"), 17);
    EXPECT_EQ(IdentifyHost("VST3PluginTestHost"), 27);
    EXPECT_EQ(IdentifyHost("Ardour"), 28);
    EXPECT_EQ(IdentifyHost("Pro Tools"), 0); // the entry has no space
    EXPECT_EQ(IdentifyHost("ProTools"), 2);
    EXPECT_EQ(IdentifyHost(""), 0);
    EXPECT_EQ(IdentifyHost("My Host"), 0);
    EXPECT_EQ(IdentifyHost(nullptr), 0);
}

TEST(IdentifyHost, EveryEntryGivesItsCode)
{
    const std::pair<const char*, int> table[] = {
        {"reaper", 1},
        {"protools", 2},
        {"cubase", 3},
        {"nuendo", 4},
        {"cakewalk", 5},
        {"fruity", 7},
        {"samplitude", 8},
        {"live", 9},
        {"melodyne", 12},
        {"vstmanlib", 13},
        {"aulab", 14},
        {"forte", 15},
        {"chainer", 16},
        {"audition", 17},
        {"orion", 18},
        {"sawstudio", 20},
        {"logic", 21},
        {"garageband", 22},
        {"digital", 23},
        {"standalone", 24},
        {"audiomulch", 25},
        {"presonus", 26},
        {"vst3plugintesthost", 27},
        {"ardour", 28},
    };
    for (const auto& [text, code] : table)
    {
        std::string upper = text;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(IdentifyHost(text), code) << text;
        EXPECT_EQ(IdentifyHost(("[" + upper + "]").c_str()), code) << upper;
    }
}

TEST(IdentifyHost, OrderDecidesBetweenSeveralNames)
{
    EXPECT_EQ(IdentifyHost("Cubase 7 (Nuendo engine)"), 3);
    EXPECT_EQ(IdentifyHost("Samplitude Live"), 8);
    EXPECT_EQ(IdentifyHost("Digital Performer Live"), 9); // "live" is tested before "digital"
    EXPECT_EQ(IdentifyHost("Standalone Reaper"), 1);      // "standalone" comes last
    EXPECT_EQ(IdentifyHost("Logic garageband"), 22);      // "garageband" before "logic"
    EXPECT_EQ(IdentifyHost("Presonus Studio One"), 26);
}

TEST(IdentifyHost, OverlongTextIsCut)
{
    EXPECT_EQ(IdentifyHost((std::string(250, 'x') + "reaper").c_str()), 0);
    EXPECT_EQ(IdentifyHost((std::string(249, 'x') + "reaper").c_str()), 1);
}
