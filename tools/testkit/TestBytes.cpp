#include "TestBytes.h"

namespace pellkit::test {

void AppendBE(Bytes& out, std::uint32_t value, int width)
{
    for (int shift = 8 * (width - 1); shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

Bytes BE16(std::uint16_t value)
{
    Bytes out;
    AppendBE(out, value, 2);
    return out;
}

Bytes BE32(std::uint32_t value)
{
    Bytes out;
    AppendBE(out, value, 4);
    return out;
}

Bytes Padded(const std::string& text, std::size_t size, std::uint8_t pad)
{
    Bytes out(text.begin(), text.end());
    out.resize(size, pad);
    return out;
}

Bytes NameField(const std::string& text, std::uint8_t codePage)
{
    Bytes out{codePage};
    Append(out, Padded(text, 35));
    return out;
}

Bytes Pattern(std::size_t size, std::uint8_t first)
{
    Bytes out(size);
    for (std::size_t i = 0; i < size; ++i)
        out[i] = static_cast<std::uint8_t>(first + i);
    return out;
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        Append(out, part);
    return out;
}

void Append(Bytes& out, std::span<const std::uint8_t> more) { out.insert(out.end(), more.begin(), more.end()); }

} // namespace pellkit::test
