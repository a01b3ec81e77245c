#include "CATBaseUnknown.h"

#include <gtest/gtest.h>

#include "CATMetaClass.h"

TEST(CATBaseUnknownTest, HandlesCountReferences) {
  long before = CATBaseUnknown::LiveObjects();
  {
    CATBaseUnknown* object = new CATBaseUnknown;
    CATBaseUnknown_var a(object);
    object->Release();  // the handle holds the only reference now
    CATBaseUnknown_var b = a;
    EXPECT_TRUE(a == b);
    EXPECT_EQ(CATBaseUnknown::LiveObjects(), before + 1);
  }
  EXPECT_EQ(CATBaseUnknown::LiveObjects(), before);
}
