// libFuzzer target for the chip service's frame parser: whatever a peer
// sends, parsing stays inside the bytes given, consumes no more than them,
// and a frame that parses encodes back to the same bytes.
#include <cstdlib>
#include <cstring>

#include "chipproto/ChipFrame.h"

using namespace ChipFrame;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Frames arrive back to back on a stream: walk them as the service does.
    size_t offset = 0;
    while (offset < size) {
        CRequest request;
        const CParsed parsed = ParseRequest(data + offset, size - offset, request);
        if (parsed.consumed > size - offset) std::abort();
        if (parsed.result == Parse::kFrame) {
            const std::vector<uint8_t> again = EncodeRequest(request);
            if (again.size() != parsed.consumed || std::memcmp(again.data(), data + offset, again.size()) != 0) {
                std::abort();
            }
        }
        if (parsed.result != Parse::kFrame && parsed.result != Parse::kUnknownOp) break;
        offset += parsed.consumed;
    }
    CResponse response;
    const CParsed parsed = ParseResponse(data, size, response);
    if (parsed.consumed > size) std::abort();
    if (parsed.result == Parse::kFrame && EncodeResponse(response).size() != parsed.consumed) std::abort();
    return 0;
}
