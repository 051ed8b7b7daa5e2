#pragma once
// Certificates as the card stores them: 194 raw bytes, opened elsewhere.

#include "u1bUtils.h"
#include "uCertificates.h"

#include <cstdint>

class TCardCertificate : public TvtInfoProvide {
public:
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 1; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint8_t data[kRawCertificateSize] = {};
};

class TMemberStateCertificate : public TvtInfoProvide {
public:
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 1; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint8_t data[kRawCertificateSize] = {};
};
