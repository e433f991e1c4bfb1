// pjPropertyLink: keeps a property of a target object in step with a
// property of a source object. Between two value properties it copies the
// source value to the target when made and after every change of the
// source; between two relation properties it empties the target relation
// when made and then mirrors every relation added to or removed from the
// source. Registering for the source hands the link the source's current
// relations as additions, so the target starts with them (at once on the
// main thread, else with the next service of queued calls). A link holds
// both objects and reacts on the main thread; it lives as long as someone
// holds it.
#pragma once

#include "objdb/pjSimpleObject.h"

class pjPropertyLink : public pjSimpleObject {
public:
    // E_INVALIDARG for a missing object or a link of an object to itself,
    // E_OUTOFMEMORY, or the error of the first copy (E_FAIL).
    static HRESULT CreateLink(cmRefPtr<pjPropertyLink>& rLink, pjObject* pSource, DWORD dwSourcePropId,
                              pjObject* pTarget, DWORD dwTargetPropId);

    // Adds each object of the source relation to the target relation, one
    // by one (for a target that lost them); the first error, or S_OK.
    virtual HRESULT CopyRelations() = 0;

protected:
    pjPropertyLink() = default;
    ~pjPropertyLink() override = default;
};
