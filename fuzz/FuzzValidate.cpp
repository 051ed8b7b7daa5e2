// A received data file through the download worker's validation pass.

#include "FuzzCheck.h"

#include "uContainer.h"
#include "uTranslation.h"

#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

class TNoLog : public IDebugLog {
public:
    void DebugLog(const QString&) override {}
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    SetCataloguePath(QStringLiteral(PELLKIT_FUZZ_CATALOGUE));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TMemoryStream stream(data, size);
    TNoLog log;
    const int result = ValidateContainer(log, stream);
    FUZZ_CHECK(result == 0 || result == -1);
    return 0;
}
