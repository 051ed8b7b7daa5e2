// A VU overview block (after its 76h 01h) through the overview reader, as the
// passes read it: no verification context. Then the display tree and the
// identity that names the VU archive.

#include "FuzzTree.h"

#include "uTachy1BStruct.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TMemoryStream stream(data, size);
    TF7601 overview;
    overview.LoadFromStream(stream);
    FUZZ_CHECK(stream.Position() <= size);
    // No record is made from bytes that are not there.
    const std::size_t records = overview.VuCompanyLocksData().records.size() +
                                overview.VuControlActivityData().records.size();
    FUZZ_CHECK(records <= size);
    FUZZ_CHECK(overview.VuCompanyLocksData().records.size() <= overview.VuCompanyLocksData().noOfLocks);
    FUZZ_CHECK(overview.VuControlActivityData().records.size() <= overview.VuControlActivityData().noOfControls);
    FUZZ_CHECK(!overview.SignatureValid());

    fuzz::WalkTree(overview);
    (void)overview.RegistrationNation();
    (void)overview.RegistrationText();
    (void)overview.VinText();
    (void)overview.CurrentDateTime();
    return 0;
}
