// The black-box services component as a command meets it: made by name,
// asked for KRVIWD7BlackBoxServices, every operation reached through its
// slot, every object released.
#include <gtest/gtest.h>

#include "CATError.h"
#include "CATICreateInstance.h"
#include "CATMetaClass.h"
#include "CATTie.h"
#include "KRVEWD7BlackBoxServices.h"
#include "KRVIWD7BlackBoxServices.h"
#include "TestSessions.h"

extern "C" CATBaseUnknown* CreateTIEKRVIWD7BlackBoxServicesKRVEWD7BlackBoxServices(
    CATBaseUnknown* iExtended, CATBaseUnknown* iImpl);
extern "C" CATBaseUnknown* CreateTIECATICreateInstanceKRVEWD7BlackBoxServices(
    CATBaseUnknown* iExtended, CATBaseUnknown* iImpl);

namespace {

class BlackBoxServicesComponentTest : public krvwd7_test::HostTest {
 protected:
  // The component made by name, as a sibling library makes it.
  static KRVIWD7BlackBoxServices_var Make() {
    void* out = nullptr;
    EXPECT_EQ(CATInstantiateComponent("KRVWD7BlackBoxServices",
                                      IID_KRVIWD7BlackBoxServices, &out),
              S_OK);
    KRVIWD7BlackBoxServices* services = static_cast<KRVIWD7BlackBoxServices*>(out);
    KRVIWD7BlackBoxServices_var handle(services);
    if (services) services->Release();
    return handle;
  }
};

TEST_F(BlackBoxServicesComponentTest, MadeByNameAndAnsweringBothInterfaces) {
  KRVIWD7BlackBoxServices_var services = Make();
  ASSERT_TRUE(services);
  EXPECT_STREQ(services->GetMetaObject()->GetClassName(), "KRVIWD7BlackBoxServices");
  EXPECT_EQ(services->GetMetaObject()->GetKind(), CATTieKind);
  // The same object answers CATICreateInstance, which makes a new component.
  CATICreateInstance_var creator(services);
  ASSERT_TRUE(creator);
  EXPECT_TRUE(creator == services) << "one object whatever the interface";
  EXPECT_EQ(creator->CreateInstance(nullptr), E_INVALIDARG);
  void* made = reinterpret_cast<void*>(1);
  ASSERT_EQ(creator->CreateInstance(&made), S_OK);
  CATBaseUnknown* component = static_cast<CATBaseUnknown*>(made);
  EXPECT_STREQ(component->IsA(), "KRVWD7BlackBoxServices");
  KRVIWD7BlackBoxServices_var other(component);
  component->Release();
  EXPECT_TRUE(other);
  EXPECT_FALSE(other == services) << "a new component";

  void* none = nullptr;
  EXPECT_EQ(CATInstantiateComponent("NoSuchComponent", IID_KRVIWD7BlackBoxServices, &none),
            E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
}

// Every slot reaches the operation of its name: each answers what its
// operation answers for a document that is no black box, empty handles or a
// file that cannot be made; none answers E_NOTIMPL.
TEST_F(BlackBoxServicesComponentTest, EverySlotForwardsItsResult) {
  KRVIWD7BlackBoxServices_var services = Make();
  ASSERT_TRUE(services);
  CATBaseUnknown_var empty, made;
  MemBuilder build(session());
  MemDocument* document = build.Document("BB.CATProduct", "BB");
  unsigned char up_to_date = 7;
  // Not a black box: the comparison refuses it and leaves the flag at 1.
  EXPECT_EQ(services->IsUpToDate(*document, *document, up_to_date), E_INVALIDARG);
  EXPECT_EQ(up_to_date, 1);
  const struct {
    const char* operation;
    HRESULT rc, expected;
  } slots[] = {
      {"AddToBlackBox", services->AddToBlackBox(empty, empty, empty, made, 0), E_INVALIDARG},
      // Not a black box: refused as not applicable.
      {"Flatten", services->Flatten(*document, 0), E_INVALIDARG},
      {"Migrate", services->Migrate(*document, "x.psn"), E_INVALIDARG},
      {"Migrate2", services->Migrate2(*document, "x.psn"), E_INVALIDARG},
      {"MigrateAfterRootPartVersionning",
       services->MigrateAfterRootPartVersionning(*document, "a", "b", "c"), E_INVALIDARG},
      // Empty handles: the catalog error "ErrId0", the traced E_FAIL.
      {"MoveToPersonalizedStructure", services->MoveToPersonalizedStructure(empty, empty),
       E_FAIL},
      {"CopyPosition", services->CopyPosition(empty, empty), E_FAIL},
      {"UpdatePosition", services->UpdatePosition(empty, empty), E_INVALIDARG},
      {"Identify", services->Identify(CATListValCATBaseUnknown_var()), E_INVALIDARG},
      // No file can be made in a folder that does not exist.
      {"UpdatePSNFile", services->UpdatePSNFile("/nonexistent-folder/x.psn"), E_FAIL},
  };
  for (const auto& slot : slots) {
    SCOPED_TRACE(slot.operation);
    EXPECT_EQ(slot.rc, slot.expected);
  }
  ASSERT_NE(CATError::LastError(), nullptr);
  EXPECT_STREQ(CATError::LastError()->GetMsgCatalog().ConvertToChar(), "KRVWD7MoveToPersonalizedStructure");
  EXPECT_TRUE(krvwd7_test::Traced("   Error: reference or target NULL"));
}

}  // namespace
