// What the fuzz targets share: a private data root for the module's files
// and a reader that turns fuzz bytes into values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

namespace velmora::fuzz {

// A data root of this process's own, made once; its preset and guide
// folders exist. Returns the "orvalen/vmplugin" folder inside it.
std::filesystem::path DataHome();

// Empties the preset and guide folders of DataHome(), so that what one input
// saved does not change the next: a finding reproduces from its file alone.
void ClearDataFolders();

// Writes bytes to a file, replacing it; false when it can't be written.
bool WriteFile(const std::filesystem::path& path, std::string_view bytes);

// Reads values off the front of the input; past the end every value is 0.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool empty() const { return size_ == 0; }
    size_t left() const { return size_; }

    uint8_t Byte() {
        if (size_ == 0) return 0;
        --size_;
        return *data_++;
    }
    bool Bool() { return (Byte() & 1) != 0; }
    uint16_t U16() { return uint16_t(Byte() | (uint16_t(Byte()) << 8)); }
    uint32_t U32() { return U16() | (uint32_t(U16()) << 16); }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    uint64_t U64() { return U32() | (uint64_t(U32()) << 32); }
    // Raw bits as a double: NaNs, infinities and denormals come out too.
    double RawDouble() {
        const uint64_t bits = U64();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    // n bytes as text (fewer when the input runs out).
    std::string_view Text(size_t n) {
        n = n < size_ ? n : size_;
        std::string_view text(reinterpret_cast<const char*>(data_), n);
        data_ += n;
        size_ -= n;
        return text;
    }
    std::string_view Rest() { return Text(size_); }

    // A decimal that is often one of the values that break arithmetic.
    double Decimal();
    // An integer that is often an extreme or a small value.
    int32_t Integer();

private:
    const uint8_t* data_;
    size_t size_;
};

}  // namespace velmora::fuzz
