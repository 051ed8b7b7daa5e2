#pragma once
// The growable byte buffer with a read/write position in which the received
// data file, each container part and each assembled archive live.
//
// A stream may also borrow bytes it does not own (Borrow), so that a reader
// can walk a piece of a larger buffer without a copy; the first write, resize
// or Buffer() call makes it a copy of its own.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

class TMemoryStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> bytes);
    TMemoryStream(const std::uint8_t* data, std::size_t size);
    // Reads the bytes where they are; they must outlive the stream.
    static TMemoryStream Borrow(std::span<const std::uint8_t> bytes);
    virtual ~TMemoryStream() = default;

    TMemoryStream(const TMemoryStream&) = default;
    TMemoryStream& operator=(const TMemoryStream&) = default;
    TMemoryStream(TMemoryStream&&) noexcept = default;
    TMemoryStream& operator=(TMemoryStream&&) noexcept = default;

    std::size_t Size() const { return Bytes().size(); }
    std::size_t Position() const { return position_; }
    // A position beyond the end is allowed: reads there yield nothing, a write
    // there first fills the gap with zeros.
    void SetPosition(std::size_t position) { position_ = position; }
    std::size_t Remaining() const { return position_ < Size() ? Size() - position_ : 0; }

    // Copies up to count bytes from the position, advances past them and
    // returns how many were copied (fewer at the end of the data).
    virtual std::size_t Read(void* buffer, std::size_t count);
    // Writes count bytes at the position, growing the stream when needed.
    void Write(const void* buffer, std::size_t count);
    void Write(std::span<const std::uint8_t> bytes) { Write(bytes.data(), bytes.size()); }

    void Clear();
    void SetSize(std::size_t size);

    std::span<const std::uint8_t> Bytes() const { return borrowed_ ? borrowed_.value() : std::span<const std::uint8_t>(data_); }
    const std::vector<std::uint8_t>& Buffer() const;
    std::vector<std::uint8_t> TakeBuffer();

private:
    // A borrowed stream becomes an owning one.
    void Own() const;

    mutable std::vector<std::uint8_t> data_;
    mutable std::optional<std::span<const std::uint8_t>> borrowed_;
    std::size_t position_ = 0;
};
