#include "uCard1BCertificates.h"

namespace {

void CertificateItem(const std::uint8_t (&data)[kRawCertificateSize], int index, std::wstring& caption,
                     TvtInfoProvide*& child)
{
    if (index == 0)
        SetLeaf("data : " + BytesToHex(data), caption, child);
}

} // namespace

void TCardCertificate::LoadFromStream(TMemoryStream& stream) { ReadBytes(stream, data); }
void TCardCertificate::SaveToStream(TMemoryStream& stream) const { WriteBytes(stream, data); }
void TCardCertificate::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    CertificateItem(data, index, caption, child);
}

void TMemberStateCertificate::LoadFromStream(TMemoryStream& stream) { ReadBytes(stream, data); }
void TMemberStateCertificate::SaveToStream(TMemoryStream& stream) const { WriteBytes(stream, data); }
void TMemberStateCertificate::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    CertificateItem(data, index, caption, child);
}
