#pragma once

#include <vector>

// One legal channel configuration.
struct IChannelIO
{
    int inputs = 0;
    int outputs = 0;
};

// An audio input as the renderer sees it. `source` is this channel's slot of the frame's input
// pointer array; it points at a host buffer when connected, otherwise at `scratch`. The scratch also
// holds the converted samples of a 32-bit host.
struct IInputChannel
{
    bool connected = false;
    double** source = nullptr;
    std::vector<double> scratch;
};

// An audio output. `destination` is the slot the renderer writes through; for a 32-bit host it points
// at `scratch`, which is converted into `hostDestination` after rendering.
struct IOutputChannel
{
    bool connected = false;
    double** destination = nullptr;
    float* hostDestination = nullptr;
    std::vector<double> scratch;
};
