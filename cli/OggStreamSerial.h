#pragma once

#include <cstdint>
#include <vector>

// The audio library stamps every Ogg stream with a serial number drawn from the clock, so two
// renders of the same sound would differ in those bytes. This rewrites the serial number of every
// page of a single-stream Ogg file to `serial` and recomputes each page's checksum, so equal audio
// gives equal files. Returns false (and leaves `bytes` unchanged) when the data is not a sequence of
// well-formed Ogg pages.
bool SetOggStreamSerial(std::vector<std::uint8_t>& bytes, std::uint32_t serial);

// Fixed serial used for every file the renderer writes ("Brsb").
inline constexpr std::uint32_t kRenderOggSerial = 0x42727362;
