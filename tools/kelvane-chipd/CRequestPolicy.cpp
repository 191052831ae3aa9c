#include "tools/kelvane-chipd/CRequestPolicy.h"

namespace {

constexpr uint8_t kBankByteBits = 0x87;

}  // namespace

ChipFrame::Status CRequestPolicy::CheckRead(const ChipFrame::CRegisterAddress& address) const {
    if (address.bank & ~kBankByteBits) return ChipFrame::kRefusedRegister;
    return m_map.Has(address, m_sevenBit) ? ChipFrame::kOk : ChipFrame::kRefusedRegister;
}

ChipFrame::Status CRequestPolicy::CheckWrite(const ChipFrame::CRegisterAddress& address, uint8_t value) const {
    const ChipFrame::Status readable = CheckRead(address);
    if (readable != ChipFrame::kOk) return readable;
    if (m_readOnly) return ChipFrame::kReadOnly;
    switch (address.reg) {
    case 0x4E:
    case 0x4F:
        return ChipFrame::kRefusedRegister;
    case 0x58:
        return (address.bank & 0x07) == 0 ? ChipFrame::kRefusedRegister : ChipFrame::kOk;
    case 0x40:
        return (value & 0x80) || !(value & 0x01) ? ChipFrame::kRefusedRegister : ChipFrame::kOk;
    default:
        return ChipFrame::kOk;
    }
}
