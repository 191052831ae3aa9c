// The wire format: what one side encodes the other decodes, and a peer's
// malformed bytes are classified before anything past them is read.
#include <gtest/gtest.h>

#include "chipproto/ChipFrame.h"

using namespace ChipFrame;

namespace {

std::vector<uint8_t> Header(uint8_t op, uint16_t length) {
    return {'K', 'C', 1, op, static_cast<uint8_t>(length & 0xFF), static_cast<uint8_t>(length >> 8)};
}

std::vector<uint8_t> With(std::vector<uint8_t> bytes, std::initializer_list<uint8_t> payload) {
    bytes.insert(bytes.end(), payload);
    return bytes;
}

}  // namespace

TEST(ChipFrame, RequestsSurviveEncodingAndParsing) {
    CRequest batch;
    batch.op = kReadBatch;
    for (int i = 0; i < static_cast<int>(kMaxBatch); ++i) batch.batch.push_back({static_cast<uint8_t>(i % 6), static_cast<uint8_t>(0x20 + i)});
    CRequest write;
    write.op = kWrite;
    write.address = {0x81, 0x5B};
    write.value = 0x7F;
    CRequest read;
    read.op = kRead;
    read.address = {0x02, 0x50};
    CRequest hello;
    CRequest stats;
    stats.op = kStats;

    for (const CRequest& request : {batch, write, read, hello, stats}) {
        SCOPED_TRACE(static_cast<int>(request.op));
        std::vector<uint8_t> bytes = EncodeRequest(request);
        // Followed by the start of another frame, which is left alone.
        const size_t size = bytes.size();
        bytes.push_back('K');
        CRequest decoded;
        const CParsed parsed = ParseRequest(bytes.data(), bytes.size(), decoded);
        ASSERT_EQ(parsed.result, Parse::kFrame);
        EXPECT_EQ(parsed.consumed, size);
        EXPECT_EQ(decoded.op, request.op);
        EXPECT_EQ(decoded.address, request.address);
        EXPECT_EQ(decoded.value, request.value);
        EXPECT_EQ(decoded.batch, request.batch);
        // Every proper prefix is only incomplete.
        for (size_t cut = 0; cut < size; ++cut) {
            EXPECT_EQ(ParseRequest(bytes.data(), cut, decoded).result, Parse::kIncomplete) << cut;
        }
    }
}

TEST(ChipFrame, ResponsesCarryStatusAndData) {
    CResponse response;
    response.op = kReadBatch;
    response.status = kOk;
    response.data = {1, 2, 3};
    const std::vector<uint8_t> bytes = EncodeResponse(response);
    EXPECT_EQ(bytes[3], kReadBatch | kResponseBit);
    CResponse decoded;
    ASSERT_EQ(ParseResponse(bytes.data(), bytes.size(), decoded).result, Parse::kFrame);
    EXPECT_EQ(decoded.op, kReadBatch);
    EXPECT_EQ(decoded.data, response.data);
    // A request is never mistaken for a response.
    const std::vector<uint8_t> request = EncodeRequest(CRequest{});
    EXPECT_EQ(ParseResponse(request.data(), request.size(), decoded).result, Parse::kGarbage);
}

TEST(ChipFrame, MalformedRequestsAreClassified) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        Parse expected;
    };
    const Case cases[] = {
        {"wrong first byte", {'X'}, Parse::kGarbage},
        {"wrong second byte", {'K', 'X'}, Parse::kGarbage},
        {"other version", {'K', 'C', 2, kRead, 2, 0, 0, 0x20}, Parse::kGarbage},
        {"payload longer than any frame", Header(kRead, kMaxPayload + 1), Parse::kBadLength},
        {"length 0xFFFF", Header(kReadBatch, 0xFFFF), Parse::kBadLength},
        {"read with three bytes", With(Header(kRead, 3), {0, 0x20, 0}), Parse::kBadLength},
        {"write with two bytes", With(Header(kWrite, 2), {0, 0x20}), Parse::kBadLength},
        {"hello with a payload", With(Header(kHello, 1), {0}), Parse::kBadLength},
        {"empty batch", With(Header(kReadBatch, 1), {0}), Parse::kBadLength},
        {"batch count above the limit", With(Header(kReadBatch, 1), {kMaxBatch + 1}), Parse::kBadLength},
        {"batch count and length disagree", With(Header(kReadBatch, 3), {2, 0, 0x20}), Parse::kBadLength},
        {"unknown op", With(Header(0x33, 1), {0}), Parse::kUnknownOp},
    };
    for (const Case& c : cases) {
        CRequest request;
        EXPECT_EQ(ParseRequest(c.bytes.data(), c.bytes.size(), request).result, c.expected) << c.what;
    }
}
