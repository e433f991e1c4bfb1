// pjObjectEvents: the listener of the object database's change events. The
// database calls these only on its main thread. Every operation does
// nothing by default; a listener overrides those it needs. Lists of
// listeners do not own them: a listener unregisters before it goes away.
#pragma once

#include "objdb/pjObject.h"
#include "platform/ole/Variant.h"

class pjObjectEvents {
public:
    virtual void OnAddObject(pjObject* /*pObject*/) {}
    // After the replay of existing objects to a new listener (value 0), and
    // for database-wide events.
    virtual void OnObjectsReplayed(DWORD /*dwValue*/) {}
    virtual void OnRemoveObject(pjObject* /*pObject*/) {}
    // The value as the writer gave it, before its conversion to the
    // property's type.
    virtual void OnChangedProperty(pjObject* /*pObject*/, DWORD /*dwPropId*/, const VARIANT& /*value*/) {}
    virtual void OnAddRelation(pjObject* /*pObject*/, DWORD /*dwPropId*/, const pjObjectList& /*objects*/) {}
    virtual void OnRemoveRelation(pjObject* /*pObject*/, DWORD /*dwPropId*/, const pjObjectList& /*objects*/) {}
    virtual ~pjObjectEvents() = default;
};
