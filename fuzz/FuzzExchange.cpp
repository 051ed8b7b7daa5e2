// A whole session with a Vexa whose answers are the input: settings, clock,
// and a data file read block by block. Each request is answered with the
// input's next bytes up to the first complete frame; when the input runs out
// the Vexa falls silent.

#include "FuzzCheck.h"

#include "uArdoVexa.h"
#include "uMemoryStream.h"
#include "uSerialPort.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace {

class TScriptedVexa : public ISerialPort {
public:
    explicit TScriptedVexa(std::span<const std::uint8_t> answers) : answers_(answers) {}

    void SetName(const std::string& name) override { name_ = name; }
    std::string Name() const override { return name_; }
    void Open() override {}
    void Close() override {}
    bool IsOpen() const override { return true; }
    void Write(std::span<const std::uint8_t>) override
    {
        while (next_ < answers_.size() && !Assembler().IsComplete()) {
            const std::uint8_t b = answers_[next_++];
            if (receive_)
                receive_(std::span<const std::uint8_t>(&b, 1));
        }
    }
    void SetReceiveHandler(ReceiveHandler handler) override { receive_ = std::move(handler); }
    void SetErrorHandler(ErrorHandler handler) override { error_ = std::move(handler); }

private:
    std::span<const std::uint8_t> answers_;
    std::size_t next_ = 0;
    std::string name_ = "fuzz";
    ReceiveHandler receive_;
    ErrorHandler error_;
};

bool KnownResult(int code) { return code == kResultOk || (code >= -113 && code <= -100) || (code >= -3 && code <= -1); }

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Silence is the end of the input: no need to wait for it.
    SetExchangeTimeout(std::chrono::milliseconds(0));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TScriptedVexa vexa({data, size});
    std::uint16_t v1 = 0;
    std::uint16_t v2 = 0;
    FUZZ_CHECK(KnownResult(ConfigurationHandshake(vexa, v1, v2)));
    FUZZ_CHECK(KnownResult(WriteSettings(3, 1, true, true, false, false, vexa)));
    FUZZ_CHECK(KnownResult(EndSettings(vexa)));
    FUZZ_CHECK(KnownResult(ClockHandshake(vexa, v1, v2)));
    FUZZ_CHECK(KnownResult(WriteClock(TVexaDateTime{2024, 1, 15, 8, 30, 0}, false, vexa)));
    FUZZ_CHECK(KnownResult(OpenDataFile(0x01, vexa, v1, v2)));

    TMemoryStream stream;
    std::int32_t lastReceived = 0;
    const int read = ReadDataFile(stream, vexa, [&](std::int32_t total, std::int32_t received, bool&) {
        FUZZ_CHECK(total >= 0 && received >= lastReceived);
        lastReceived = received;
    });
    FUZZ_CHECK(KnownResult(read) && read != kResultOk);
    // Every byte counted was kept, and only those.
    FUZZ_CHECK(static_cast<std::size_t>(ReadState().received) == stream.Size());
    FUZZ_CHECK(KnownResult(FinishAndKeep(vexa)));
    return 0;
}
