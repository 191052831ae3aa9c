// Whoever hands the chip back at the end: told about a register field just
// before its first change, so that the bits as found can be kept first.
#pragma once

class CRegisterField;

class IAsFoundKeeper {
public:
    virtual ~IAsFoundKeeper() = default;
    virtual void KeepField(const CRegisterField& field) = 0;
};
