#include "uMemoryStream.h"

#include <algorithm>
#include <cstring>
#include <utility>

TMemoryStream::TMemoryStream(std::vector<std::uint8_t> bytes) : data_(std::move(bytes)) {}

TMemoryStream::TMemoryStream(const std::uint8_t* data, std::size_t size) : data_(data, data + size) {}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count)
{
    const std::size_t n = std::min(count, Remaining());
    if (n > 0) {
        std::memcpy(buffer, data_.data() + position_, n);
        position_ += n;
    }
    return n;
}

void TMemoryStream::Write(const void* buffer, std::size_t count)
{
    if (count == 0)
        return;
    if (position_ + count > data_.size())
        data_.resize(position_ + count);
    std::memcpy(data_.data() + position_, buffer, count);
    position_ += count;
}

void TMemoryStream::Clear()
{
    data_.clear();
    position_ = 0;
}

void TMemoryStream::SetSize(std::size_t size)
{
    data_.resize(size);
    position_ = std::min(position_, size);
}

std::vector<std::uint8_t> TMemoryStream::TakeBuffer()
{
    position_ = 0;
    return std::exchange(data_, {});
}
