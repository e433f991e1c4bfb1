// pjPropertyLink: keeps a property of a target object in step with a
// property of a source object. Between two value properties it copies the
// source value to the target when made and after every change of the
// source; between two relation properties it empties the target relation
// when made and then mirrors every relation added to or removed from the
// source. A link holds both objects and reacts on the main thread; it lives
// as long as someone holds it.
#pragma once

#include "objdb/pjSimpleObject.h"

class pjPropertyLink : public pjSimpleObject {
public:
    // E_INVALIDARG for a missing object or a link of an object to itself,
    // E_OUTOFMEMORY, or the error of the first copy (E_FAIL).
    static HRESULT CreateLink(cmRefPtr<pjPropertyLink>& rLink, pjObject* pSource, DWORD dwSourcePropId,
                              pjObject* pTarget, DWORD dwTargetPropId);

protected:
    pjPropertyLink() = default;
    ~pjPropertyLink() override = default;
};
