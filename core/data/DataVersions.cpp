// The device variants the program knows, entered into OscDataFactory on its first use.

#include "core/data/DataV1.h"
#include "core/data/DataV2.h"
#include "core/data/DataV3.h"
#include "core/data/DataV4.h"
#include "core/data/DataV5.h"

void RegisterBuiltInDataVersions()
{
    registerDataVersion(1, CreateDataV1);
    registerDataVersion(2, CreateDataV2);
    registerDataVersion(3, CreateDataV3);
    registerDataVersion(4, CreateDataV4);
    registerDataVersion(5, CreateDataV5);
}
