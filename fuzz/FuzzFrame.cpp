// Bytes as the serial line delivers them: the assembler collects frames, and
// each complete frame is validated and read the way an exchange reads it.

#include "FuzzCheck.h"

#include "uArdoVexa.h"
#include "uArdoVexaMess.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace {

void ReadFrame(const std::vector<std::uint8_t>& bytes)
{
    const TvexaMessage frame(bytes);
    FUZZ_CHECK(frame.FrameLength() == static_cast<int>(bytes.size()));
    const int verdict = frame.Validate();
    FUZZ_CHECK(verdict == kFrameOk || verdict == kFrameBadDelimiters || verdict == kFrameBadLength ||
               verdict == kFrameBadChecksum);

    const int declared = frame.DataLength();
    const std::span<const std::uint8_t> payload = frame.Payload();
    // The payload never reaches into the checksum and ETX, whatever the length field says.
    if (!payload.empty())
        FUZZ_CHECK(payload.data() == frame.Data.data() + 6 && 6 + payload.size() + 2 <= bytes.size());
    for (std::size_t i = 0; i < payload.size() + 4; ++i) {
        const std::uint8_t b = frame.DataByte(i);
        if (i < payload.size())
            FUZZ_CHECK(b == payload[i]);
    }
    (void)frame.Code();

    if (verdict != kFrameOk)
        return;
    FUZZ_CHECK(declared >= 0 && payload.size() == static_cast<std::size_t>(declared));
    FUZZ_CHECK(frame.FrameLength() == declared + 8);
    // A sound frame is what the request builder makes of its code and data,
    // but for byte 2, which the receiver does not look at and the checksum covers.
    TvexaMessage rebuilt(frame.Code(), payload);
    FUZZ_CHECK(rebuilt.Validate() == kFrameOk && rebuilt.Data.size() == bytes.size());
    rebuilt.Data[2] = bytes[2];
    rebuilt.Data[bytes.size() - 2] = rebuilt.Checksum();
    FUZZ_CHECK(rebuilt.Data == bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> input(data, size);

    // One exchange after the other: each complete frame is taken, the next
    // exchange starts afresh.
    ResponseAssembler& assembler = Assembler();
    assembler.Reset();
    for (const std::uint8_t b : input) {
        assembler.Feed(b);
        if (assembler.IsComplete()) {
            const std::vector<std::uint8_t> bytes = assembler.Bytes();
            FUZZ_CHECK(assembler.Count() == static_cast<std::int32_t>(bytes.size()));
            ReadFrame(bytes);
            assembler.Reset();
        }
    }
    // Whatever is left over is a frame cut short; it must read safely too.
    ReadFrame(assembler.Bytes());
    ReadFrame(std::vector<std::uint8_t>(input.begin(), input.end()));

    // One receive event or a byte at a time: the same buffer.
    ResponseAssembler whole;
    ResponseAssembler single;
    whole.Feed(input);
    for (const std::uint8_t b : input)
        single.Feed(b);
    FUZZ_CHECK(whole.Bytes() == single.Bytes() && whole.IsComplete() == single.IsComplete());
    return 0;
}
