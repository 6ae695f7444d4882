// libFuzzer target for the IPS and BPS patches: for any two files, the patch made
// from one to the other, applied to the first, gives the second (IPS only within its
// 16 MiB); and any bytes read as a patch are applied or refused without a fault,
// giving bytes only when they are not refused.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "patch/bps.h"
#include "patch/ips.h"

namespace {

void roundTrip(std::span<const uint8_t> a, std::span<const uint8_t> b) {
    for (const bool ips : {true, false}) {
        const tarpon::PatchResult patch = ips ? tarpon::createIps(a, b) : tarpon::createBps(a, b);
        if (!patch.ok()) std::abort();
        const tarpon::PatchResult back = ips ? tarpon::applyIps(patch.bytes, a) : tarpon::applyBps(patch.bytes, a);
        if (!back.ok() || !std::equal(back.bytes.begin(), back.bytes.end(), b.begin(), b.end())) std::abort();
    }
}

void readAnyPatch(std::span<const uint8_t> patch, std::span<const uint8_t> original) {
    for (const bool ips : {true, false}) {
        const tarpon::PatchResult r = ips ? tarpon::applyIps(patch, original) : tarpon::applyBps(patch, original);
        if (!r.ok() && !r.bytes.empty()) std::abort();
    }
}

}  // namespace

// The first byte chooses the check and where the input splits into two files.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::span<const uint8_t> rest(data + 1, size - 1);
    const size_t split = rest.empty() ? 0 : (size_t{data[0]} * 131) % (rest.size() + 1);
    const auto a = rest.first(split), b = rest.subspan(split);
    if (data[0] & 1) {
        roundTrip(a, b);
        return 0;
    }
    // A patch after the split: with the "PATCH" or "BPS1" it needs, so that the records are read.
    readAnyPatch(b, a);
    if (data[0] & 2) return 0;
    static thread_local tarpon::ByteStore withMagic;
    withMagic.assign(b.begin(), b.end());
    const char* magic = data[0] & 4 ? "PATCH" : "BPS1";
    withMagic.insert(withMagic.begin(), magic, magic + (data[0] & 4 ? 5 : 4));
    readAnyPatch(withMagic, a);
    return 0;
}
