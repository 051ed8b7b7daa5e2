#include "uMemoryStream.h"

#include <algorithm>
#include <cstring>
#include <utility>

TMemoryStream::TMemoryStream(std::vector<std::uint8_t> bytes) : data_(std::move(bytes)) {}

TMemoryStream::TMemoryStream(const std::uint8_t* data, std::size_t size) : data_(data, data + size) {}

TMemoryStream TMemoryStream::Borrow(std::span<const std::uint8_t> bytes)
{
    TMemoryStream stream;
    stream.borrowed_ = bytes;
    return stream;
}

void TMemoryStream::Own() const
{
    if (!borrowed_)
        return;
    data_.assign(borrowed_->begin(), borrowed_->end());
    borrowed_.reset();
}

const std::vector<std::uint8_t>& TMemoryStream::Buffer() const
{
    Own();
    return data_;
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count)
{
    const std::size_t n = std::min(count, Remaining());
    if (n > 0) {
        std::memcpy(buffer, Bytes().data() + position_, n);
        position_ += n;
    }
    return n;
}

void TMemoryStream::Write(const void* buffer, std::size_t count)
{
    if (count == 0)
        return;
    Own();
    if (position_ + count > data_.size())
        data_.resize(position_ + count);
    std::memcpy(data_.data() + position_, buffer, count);
    position_ += count;
}

void TMemoryStream::Clear()
{
    borrowed_.reset();
    data_.clear();
    position_ = 0;
}

void TMemoryStream::SetSize(std::size_t size)
{
    Own();
    data_.resize(size);
    position_ = std::min(position_, size);
}

std::vector<std::uint8_t> TMemoryStream::TakeBuffer()
{
    Own();
    position_ = 0;
    return std::exchange(data_, {});
}
