// pjObjectDatabaseStg: the storage level of the object database, between the
// factory registry and the implementation. It will hold the index of objects
// by type name.
#pragma once

#include "objdb/pjObjectDatabase.h"

class pjObjectDatabaseStg : public pjObjectDatabase {
protected:
    pjObjectDatabaseStg() = default;
};
