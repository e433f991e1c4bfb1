// pjObject: a reference-counted database object. Its owner is the
// pjObjectFactory that made it (not counted: factories outlive their objects).
#pragma once

#include "CustomCode/Common/cmRefCountEx.h"
#include "CustomCode/Common/cmString.h"

class pjObjectFactory;

class pjObject : public cmRefCountEx {
public:
    explicit pjObject(pjObjectFactory* pOwner = nullptr) : m_pOwner(pOwner) {}

    virtual cmString GetAsciiType() { return cmString("untyped object"); }

    pjObjectFactory* GetOwner() const { return m_pOwner; }

protected:
    ~pjObject() override = default;

private:
    pjObjectFactory* m_pOwner;
};

using pjObjectRef = cmRefPtr<pjObject>;
