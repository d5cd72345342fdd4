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

void OscData::StoreSettings()
{
    if (auto* v1 = dynamic_cast<DataV1*>(this)) v1->SaveSettings();
    if (auto* v2 = dynamic_cast<DataV2*>(this)) v2->SaveSettings();
    if (auto* v3 = dynamic_cast<DataV3*>(this)) v3->SaveSettings();
    if (auto* v4 = dynamic_cast<DataV4*>(this)) v4->SaveSettings();
    if (auto* v5 = dynamic_cast<DataV5*>(this)) v5->SaveSettings();
}
