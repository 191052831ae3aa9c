#include "chipproto/ChipFrame.h"

namespace ChipFrame {

namespace {

std::vector<uint8_t> Frame(uint8_t op, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> bytes{kMagic0, kMagic1, kVersion, op, static_cast<uint8_t>(payload.size() & 0xFF),
                               static_cast<uint8_t>(payload.size() >> 8)};
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

// The header's checks common to both directions; on kFrame, op and payload
// describe the frame and consumed its whole size.
CParsed ParseHeader(const uint8_t* bytes, size_t size, uint8_t& op, const uint8_t*& payload, size_t& length) {
    // A wrong first byte is garbage at once, without waiting for a whole header.
    const uint8_t expected[3] = {kMagic0, kMagic1, kVersion};
    for (size_t i = 0; i < 3 && i < size; ++i) {
        if (bytes[i] != expected[i]) return {Parse::kGarbage, 0};
    }
    if (size < kHeaderSize) return {Parse::kIncomplete, 0};
    op = bytes[3];
    length = static_cast<size_t>(bytes[4]) | (static_cast<size_t>(bytes[5]) << 8);
    if (length > kMaxPayload) return {Parse::kBadLength, 0};
    if (size < kHeaderSize + length) return {Parse::kIncomplete, 0};
    payload = bytes + kHeaderSize;
    return {Parse::kFrame, kHeaderSize + length};
}

}  // namespace

std::vector<uint8_t> EncodeRequest(const CRequest& request) {
    std::vector<uint8_t> payload;
    switch (request.op) {
    case kRead:
        payload = {request.address.bank, request.address.reg};
        break;
    case kWrite:
        payload = {request.address.bank, request.address.reg, request.value};
        break;
    case kReadBatch:
        payload.push_back(static_cast<uint8_t>(request.batch.size()));
        for (const CRegisterAddress& a : request.batch) {
            payload.push_back(a.bank);
            payload.push_back(a.reg);
        }
        break;
    case kHello:
    case kStats:
        break;
    }
    return Frame(request.op, payload);
}

std::vector<uint8_t> EncodeResponse(const CResponse& response) {
    std::vector<uint8_t> payload{response.status};
    payload.insert(payload.end(), response.data.begin(), response.data.end());
    return Frame(static_cast<uint8_t>(response.op | kResponseBit), payload);
}

CParsed ParseRequest(const uint8_t* bytes, size_t size, CRequest& request) {
    uint8_t op = 0;
    const uint8_t* payload = nullptr;
    size_t length = 0;
    CParsed parsed = ParseHeader(bytes, size, op, payload, length);
    if (parsed.result != Parse::kFrame) return parsed;

    request = CRequest{};
    switch (op) {
    case kHello:
    case kStats:
        if (length != 0) return {Parse::kBadLength, parsed.consumed};
        break;
    case kRead:
        if (length != 2) return {Parse::kBadLength, parsed.consumed};
        request.address = {payload[0], payload[1]};
        break;
    case kWrite:
        if (length != 3) return {Parse::kBadLength, parsed.consumed};
        request.address = {payload[0], payload[1]};
        request.value = payload[2];
        break;
    case kReadBatch: {
        if (length < 1) return {Parse::kBadLength, parsed.consumed};
        const size_t count = payload[0];
        if (count == 0 || count > kMaxBatch || length != 1 + 2 * count) return {Parse::kBadLength, parsed.consumed};
        for (size_t i = 0; i < count; ++i) request.batch.push_back({payload[1 + 2 * i], payload[2 + 2 * i]});
        break;
    }
    default:
        return {Parse::kUnknownOp, parsed.consumed};
    }
    request.op = static_cast<Op>(op);
    return parsed;
}

CParsed ParseResponse(const uint8_t* bytes, size_t size, CResponse& response) {
    uint8_t op = 0;
    const uint8_t* payload = nullptr;
    size_t length = 0;
    CParsed parsed = ParseHeader(bytes, size, op, payload, length);
    if (parsed.result != Parse::kFrame) return parsed;
    if (!(op & kResponseBit)) return {Parse::kGarbage, 0};
    if (length < 1) return {Parse::kBadLength, parsed.consumed};
    response = CResponse{};
    response.op = static_cast<Op>(op & ~kResponseBit);
    response.status = static_cast<Status>(payload[0]);
    response.data.assign(payload + 1, payload + length);
    return parsed;
}

}  // namespace ChipFrame
