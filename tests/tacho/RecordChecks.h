#pragma once
// What the record tests ask of every record: its captions as one would read
// them, and what a load and a save give back.

#include "TestBytes.h"
#include "u1bUtils.h"

#include <cstddef>
#include <string>
#include <vector>

namespace recordchecks {

// Every item's caption, " >" after those with a child.
inline std::vector<std::string> Captions(const TvtInfoProvide& node)
{
    std::vector<std::string> out;
    for (int i = 0; i < node.ItemCount(); ++i) {
        std::wstring caption;
        TvtInfoProvide* child = nullptr;
        node.GetItem(i, caption, child);
        out.emplace_back(caption.begin(), caption.end());
        if (child)
            out.back() += " >";
    }
    return out;
}

struct RoundTrip {
    std::size_t consumed;
    pellkit::test::Bytes saved;
};

// Loads a record from input, then saves it.
template <class Record> RoundTrip LoadAndSave(const pellkit::test::Bytes& input)
{
    Record record;
    TMemoryStream in(input);
    record.LoadFromStream(in);
    TMemoryStream out;
    record.SaveToStream(out);
    return {in.Position(), out.Buffer()};
}

} // namespace recordchecks
