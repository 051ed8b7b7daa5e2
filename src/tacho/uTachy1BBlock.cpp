#include "uTachy1BBlock.h"

void TVuTransferBlock::LoadFromStream(TMemoryStream& stream)
{
    signedStart_ = stream.Position();
    rawData_.clear();
    LoadData(stream);
    const std::string what = "signature of the 76 " + Hex2(Trep()) + " block";
    RequireBytes(stream, kVuSignatureSize, what);
    const auto bytes = stream.Bytes();
    rawData_.assign(bytes.begin() + static_cast<std::ptrdiff_t>(signedStart_),
                    bytes.begin() + static_cast<std::ptrdiff_t>(stream.Position()));
    LoadSignature(stream);
}

void TVuTransferBlock::SaveToStream(TMemoryStream& stream) const
{
    SaveData(stream);
    WriteBytes(stream, signature_);
}
