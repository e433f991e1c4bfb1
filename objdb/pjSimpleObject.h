// pjSimpleObject: a database object numbered by a process-wide serial (the
// first object made gets 1). Its key is that serial; its type name is its
// owner's name up to the first colon ("Photo:Album" gives "Photo"), or
// "untyped object" without an owner.
#pragma once

#include "objdb/pjObject.h"

class pjSimpleObject : public pjObject {
public:
    explicit pjSimpleObject(pjObjectFactory* pOwner = nullptr);

    cmString GetAsciiType() override;
    // Appends the serial as a 4-byte number.
    HRESULT GetKey(cmPacket& key) override;

    DWORD GetSerial() const { return m_dwSerial; }

protected:
    ~pjSimpleObject() override = default;

private:
    DWORD m_dwSerial;
};
