// The chip service's wire format, shared by kelvane-chipd and the service
// client build of libWbcdflsh.so.
//
// Every frame is a 6-byte header and a payload of at most kMaxPayload bytes:
//   'K' 'C'  version (1)  op  payload length (16-bit, little-endian)
// A response carries the request's op with bit 7 set; its payload starts
// with a status byte. Requests:
//   kHello      -                          -> status, chip id, flags, resting 0x4E
//   kRead       bank byte, register        -> status, value
//   kWrite      bank byte, register, value -> status
//   kReadBatch  count, count x (bank byte, register) -> status, count values
//   kStats      -                          -> status, frames served (32-bit LE)
// The bank byte is the value the service puts into register 0x4E for the
// transfer: bits 2..0 the bank, bit 7 the vendor-byte select of 0x4F.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ChipFrame {

inline constexpr uint8_t kMagic0 = 'K';
inline constexpr uint8_t kMagic1 = 'C';
inline constexpr uint8_t kVersion = 1;
inline constexpr size_t kHeaderSize = 6;
inline constexpr size_t kMaxBatch = 64;
inline constexpr size_t kMaxPayload = 1 + 2 * kMaxBatch;
inline constexpr uint8_t kResponseBit = 0x80;

enum Op : uint8_t {
    kHello = 0x01,
    kRead = 0x02,
    kWrite = 0x03,
    kReadBatch = 0x04,
    kStats = 0x05,
};

enum Status : uint8_t {
    kOk = 0,
    kGarbage = 1,           // not a frame of this protocol: the connection ends
    kBadLength = 2,         // a payload length that does not fit the op
    kRefusedRegister = 3,   // a register or bank byte the service never touches
    kReadOnly = 4,          // a write while the chip is shared read-only
    kTransferFailed = 5,    // the backend reported an error
    kNotInGroup = 6,        // the peer is not a member of the service's group
    kNoChip = 7,            // no chip with the vendor value 0x5CA3
    kUnknownOp = 8,
    kNoControl = 9,         // a write by a peer without the right to drive the chip
    kTooManyConnections = 10,  // the peer's or the service's connection cap: the connection ends
};

// Flags of the hello response.
inline constexpr uint8_t kFlagAlternateId = 0x01;  // identification at 0x4C/0x4D/0x4E
inline constexpr uint8_t kFlagReadOnly = 0x02;   // shared beside a driver: nobody writes
inline constexpr uint8_t kFlagReader = 0x04;     // this peer may read, not write

struct CRegisterAddress {
    uint8_t bank = 0;  // the bank byte
    uint8_t reg = 0;
    bool operator==(const CRegisterAddress&) const = default;
};

struct CRequest {
    Op op = kHello;
    CRegisterAddress address;             // kRead, kWrite
    uint8_t value = 0;                    // kWrite
    std::vector<CRegisterAddress> batch;  // kReadBatch
};

// One register's read or write, as both sides build them.
inline CRequest ReadRequest(CRegisterAddress address) {
    CRequest request;
    request.op = kRead;
    request.address = address;
    return request;
}

inline CRequest WriteRequest(CRegisterAddress address, uint8_t value) {
    CRequest request = ReadRequest(address);
    request.op = kWrite;
    request.value = value;
    return request;
}

struct CResponse {
    Op op = kHello;
    Status status = kOk;
    std::vector<uint8_t> data;  // what follows the status byte
};

enum class Parse {
    kFrame,       // one frame decoded; consumed says how many bytes it took
    kIncomplete,  // more bytes are needed
    kGarbage,     // wrong magic or version: the stream cannot be resynchronised
    kBadLength,   // a header whose payload length is too long or wrong for its op
    kUnknownOp,   // a well-formed frame of an op this side does not know
};

struct CParsed {
    Parse result = Parse::kIncomplete;
    size_t consumed = 0;
};

// Whether the bank byte matters to a register: 0x4F answers by bit 7, and
// only 0x50..0x5F differ between banks.
inline bool BankMatters(uint8_t reg) { return reg == 0x4F || (reg >= 0x50 && reg <= 0x5F); }

std::vector<uint8_t> EncodeRequest(const CRequest& request);
std::vector<uint8_t> EncodeResponse(const CResponse& response);

// Decodes the first frame of bytes[0, size). Every length is checked against
// the bytes present and the op's own layout before anything is read.
CParsed ParseRequest(const uint8_t* bytes, size_t size, CRequest& request);
CParsed ParseResponse(const uint8_t* bytes, size_t size, CResponse& response);

}  // namespace ChipFrame
