#pragma once
// What the VU transfer responses after the overview (76h 02h to 05h) share:
// a base for the signed block and a list record whose count comes first.
//
// Every byte of these blocks between 76h TREP and the signature is signed
// (RSA PKCS#1 v1.5 over SHA-1 with the VU key). Unlike the overview, they are
// read strictly: a count that runs past the data, a record cut short or a
// missing signature is an ETachoError at the stream position where reading
// stopped, naming what was being read. Counts are only believed as far as
// the bytes present reach, so a damaged count costs no memory.

#include "u1bUtils.h"
#include "uCard1BItems.h"
#include "uTachy1BStruct.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// A signed transfer response whose data is signed as a whole.
class TVuTransferBlock : public TVuPRT {
public:
    using TVuPRT::TVuPRT;

    // The stream stands at the first byte after 76h TREP; loading ends after
    // the signature. With a context that asks for it, the signature is checked
    // with the context's VU certificate.
    void LoadFromStream(TMemoryStream& stream);
    // The fields back in their layout, then the signature.
    void SaveToStream(TMemoryStream& stream) const;

    virtual std::uint8_t Trep() const = 0;
    // The signed bytes as they were read.
    const std::vector<std::uint8_t>& RawData() const { return rawData_; }

protected:
    virtual void LoadData(TMemoryStream& stream) = 0;
    virtual void SaveData(TMemoryStream& stream) const = 0;

private:
    std::vector<std::uint8_t> rawData_;
};

namespace vu1b {

using card1b::Field;

// A number read strictly: the bytes must be there.
inline void ReadCount(TMemoryStream& stream, std::uint8_t& value, const char* what)
{
    RequireBytes(stream, 1, what);
    ReadByte(stream, value);
}
inline void ReadCount(TMemoryStream& stream, std::uint16_t& value, const char* what)
{
    RequireBytes(stream, 2, what);
    ReadWord(stream, value);
}
inline void WriteCount(TMemoryStream& stream, std::uint8_t value) { WriteByte(stream, value); }
inline void WriteCount(TMemoryStream& stream, std::uint16_t value) { WriteWord(stream, value); }

// A record of fixed size read strictly.
template <class Record> void LoadRecord(TMemoryStream& stream, Record& record, const char* what)
{
    RequireBytes(stream, Record::kSize, what);
    record.LoadFromStream(stream);
}

// count records of Record::kSize bytes; all of them must be there.
template <class Record>
void LoadRecords(TMemoryStream& stream, std::size_t count, std::vector<std::unique_ptr<Record>>& records,
                 const char* what)
{
    if (stream.Remaining() / Record::kSize < count)
        throw ETachoError(std::string(what) + ": " + std::to_string(count) + " records of " +
                              std::to_string(Record::kSize) + " bytes, " + std::to_string(stream.Remaining()) +
                              " bytes left",
                          stream.Position());
    records.clear();
    records.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        records.push_back(std::make_unique<Record>());
        records.back()->LoadFromStream(stream);
    }
}

} // namespace vu1b

// A count, then that many records: the VU's "...Data" structures. Items: the
// count, then one child per record.
template <class Record, class Count> class TVuRecordList : public TvtInfoProvide {
public:
    void LoadFromStream(TMemoryStream& stream)
    {
        vu1b::ReadCount(stream, count, name_);
        vu1b::LoadRecords(stream, count, records, name_);
    }
    void SaveToStream(TMemoryStream& stream) const
    {
        vu1b::WriteCount(stream, count);
        for (const auto& record : records)
            record->SaveToStream(stream);
    }
    int ItemCount() const override { return 1 + static_cast<int>(records.size()); }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override
    {
        if (index == 0)
            SetLeaf(vu1b::Field(countLabel_, count), caption, child);
        else if (index > 0 && index < ItemCount())
            SetNode(recordCaption_, records[static_cast<std::size_t>(index - 1)].get(), caption, child);
    }

    std::size_t Size() const { return records.size(); }
    const Record& operator[](std::size_t i) const { return *records[i]; }

    Count count = 0;
    std::vector<std::unique_ptr<Record>> records;

protected:
    // name: the structure, for errors; countLabel ends in " : ".
    TVuRecordList(const char* name, const char* countLabel, const char* recordCaption)
        : name_(name), countLabel_(countLabel), recordCaption_(recordCaption)
    {
    }

private:
    const char* name_;
    const char* countLabel_;
    const char* recordCaption_;
};
