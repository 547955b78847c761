// Pictures as the command-line host reads and writes them: RGBA bytes,
// rows of width * 4, no padding.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::cli {

struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgba;
};

// Decodes a PNG file. False with a one-line reason naming the file when it
// can't be read, isn't a PNG or is damaged.
bool ReadPng(const std::string& path, Picture& picture, std::string& error);
// The same for PNG bytes already in memory; `name` is used in messages.
bool DecodePng(std::string_view bytes, const std::string& name, Picture& picture,
               std::string& error);

// PNG bytes of the picture; empty when encoding fails.
std::string EncodePng(const Picture& picture);

// The whole chunk (length, type, data, CRC) of the first chunk of a type in
// PNG bytes, e.g. "pHYs"; empty when there is none or the bytes are no PNG.
std::string PngChunk(std::string_view png, std::string_view type);
// The PNG bytes with a whole chunk inserted after the header chunk.
std::string WithChunkAfterHeader(std::string_view png, std::string_view chunk);

// The effect laid over the source as a user sees it: the source over white,
// then the effect over that, by alpha. Fully opaque. Both of one size.
Picture CompositeOver(const Picture& effect, const Picture& source);

// One byte per pixel from a mask picture: its alpha when any pixel is less
// than opaque, else its grey level.
std::vector<uint8_t> MaskValues(const Picture& mask);

// Grey level of each pixel, (77 r + 150 g + 29 b) >> 8, and its alpha.
void GreyValues(const Picture& picture, std::vector<uint8_t>& grey, std::vector<uint8_t>& alpha);

}  // namespace velmora::cli
