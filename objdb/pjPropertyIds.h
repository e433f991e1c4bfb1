// The bits of a property id, the reserved ids and the state flags of a
// database object.
#pragma once

#include "platform/kernel32/WinTypes.h"

// Property id bits.
constexpr DWORD PJ_PROP_READONLY = 0x10000000;        // SetProperty refuses it
constexpr DWORD PJ_PROP_HIDDEN = 0x40000000;          // not listed by the property-id enumeration
constexpr DWORD PJ_PROP_RELATION_SINGLE = 0x00020000; // a relation to one object
constexpr DWORD PJ_PROP_RELATION_MULTI = 0x00040000;  // a relation to a list of objects
constexpr DWORD PJ_PROP_RELATION_PEDIGREE = 0x00080000; // related objects qualify by pedigree

// Reserved ids: the id of the property that labels an object, and an id that
// reads as itself.
constexpr DWORD PJ_PROPID_LABEL = 0x4001F000;
constexpr DWORD PJ_PROPID_SELF = 0x4001F002;

// State flags.
constexpr DWORD PJ_STATE_NO_NOTIFY = 0x1;  // send no change notifications for the object
constexpr DWORD PJ_STATE_REMOVE = 0x2;     // the scrubber removes the object once unreferenced

inline bool pjIsRelationId(DWORD id) { return (id & (PJ_PROP_RELATION_SINGLE | PJ_PROP_RELATION_MULTI)) != 0; }
