#pragma once
// The growable byte buffer with a read/write position in which the received
// data file, each container part and each assembled archive live.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class TMemoryStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> bytes);
    TMemoryStream(const std::uint8_t* data, std::size_t size);
    virtual ~TMemoryStream() = default;

    TMemoryStream(const TMemoryStream&) = default;
    TMemoryStream& operator=(const TMemoryStream&) = default;
    TMemoryStream(TMemoryStream&&) noexcept = default;
    TMemoryStream& operator=(TMemoryStream&&) noexcept = default;

    std::size_t Size() const { return data_.size(); }
    std::size_t Position() const { return position_; }
    // A position beyond the end is allowed: reads there yield nothing, a write
    // there first fills the gap with zeros.
    void SetPosition(std::size_t position) { position_ = position; }
    std::size_t Remaining() const { return position_ < data_.size() ? data_.size() - position_ : 0; }

    // Copies up to count bytes from the position, advances past them and
    // returns how many were copied (fewer at the end of the data).
    virtual std::size_t Read(void* buffer, std::size_t count);
    // Writes count bytes at the position, growing the stream when needed.
    void Write(const void* buffer, std::size_t count);
    void Write(std::span<const std::uint8_t> bytes) { Write(bytes.data(), bytes.size()); }

    void Clear();
    void SetSize(std::size_t size);

    std::span<const std::uint8_t> Bytes() const { return data_; }
    const std::vector<std::uint8_t>& Buffer() const { return data_; }
    std::vector<std::uint8_t> TakeBuffer();

private:
    std::vector<std::uint8_t> data_;
    std::size_t position_ = 0;
};
