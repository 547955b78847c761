// PNG decoding and encoding through stb; the one place its implementation
// is compiled into the tool.
#include <cstring>

#include "tools/velmora-host/files.h"
#include "tools/velmora-host/picture.h"

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-function"
#endif
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace velmora::cli {
namespace {

constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Pictures larger than this are refused rather than allocated.
constexpr int64_t kMaxPixels = int64_t(1) << 28;

void AppendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::string*>(context);
    out->append(static_cast<const char*>(data), size_t(size));
}

}  // namespace

bool ReadPng(const std::string& path, Picture& picture, std::string& error) {
    std::string bytes;
    return ReadInput(path, bytes, error) && DecodePng(bytes, path, picture, error);
}

bool DecodePng(std::string_view bytes, const std::string& name, Picture& picture,
               std::string& error) {
    if (bytes.size() < sizeof kPngSignature ||
        std::memcmp(bytes.data(), kPngSignature, sizeof kPngSignature) != 0) {
        error = "\"" + name + "\" is not a PNG picture";
        return false;
    }
    if (bytes.size() > size_t(INT32_MAX)) {
        error = "\"" + name + "\" is too large";
        return false;
    }
    const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
    int w = 0, h = 0, channels = 0;
    if (stbi_info_from_memory(data, int(bytes.size()), &w, &h, &channels) == 0) {
        error = "\"" + name + "\" is a damaged PNG picture (" + stbi_failure_reason() + ")";
        return false;
    }
    if (w <= 0 || h <= 0 || int64_t(w) * h > kMaxPixels) {
        error = "\"" + name + "\" is too large (" + std::to_string(w) + "x" + std::to_string(h) + ")";
        return false;
    }
    stbi_uc* pixels = stbi_load_from_memory(data, int(bytes.size()), &w, &h, &channels, 4);
    if (pixels == nullptr) {
        error = "\"" + name + "\" is a damaged PNG picture (" + stbi_failure_reason() + ")";
        return false;
    }
    picture.width = w;
    picture.height = h;
    picture.rgba.assign(pixels, pixels + size_t(w) * h * 4);
    stbi_image_free(pixels);
    return true;
}

namespace {

uint32_t BigEndian(std::string_view bytes, size_t at) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
}

// Start of the chunk after the one at `at`, or npos when it runs off the end.
size_t NextChunk(std::string_view png, size_t at) {
    if (at + 12 > png.size()) return std::string_view::npos;
    const uint64_t length = BigEndian(png, at);
    const uint64_t next = uint64_t(at) + 12 + length;
    return next <= png.size() ? size_t(next) : std::string_view::npos;
}

}  // namespace

std::string PngChunk(std::string_view png, std::string_view type) {
    if (png.size() < sizeof kPngSignature ||
        std::memcmp(png.data(), kPngSignature, sizeof kPngSignature) != 0) {
        return {};
    }
    for (size_t at = sizeof kPngSignature; at + 12 <= png.size();) {
        const size_t next = NextChunk(png, at);
        if (next == std::string_view::npos) return {};
        const std::string_view name = png.substr(at + 4, 4);
        if (name == type) return std::string(png.substr(at, next - at));
        if (name == "IDAT" || name == "IEND") return {};
        at = next;
    }
    return {};
}

std::string WithChunkAfterHeader(std::string_view png, std::string_view chunk) {
    const size_t afterHeader = NextChunk(png, sizeof kPngSignature);
    if (chunk.empty() || afterHeader == std::string_view::npos) return std::string(png);
    std::string out(png.substr(0, afterHeader));
    out.append(chunk);
    out.append(png.substr(afterHeader));
    return out;
}

std::string EncodePng(const Picture& picture) {
    std::string out;
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.rgba.size() != size_t(picture.width) * picture.height * 4) {
        return out;
    }
    if (stbi_write_png_to_func(AppendBytes, &out, picture.width, picture.height, 4,
                               picture.rgba.data(), picture.width * 4) == 0) {
        out.clear();
    }
    return out;
}

}  // namespace velmora::cli
