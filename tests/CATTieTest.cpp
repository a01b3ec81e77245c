// The component object model: dictionary entries, extensions and interface
// objects, as a library registers them and a caller reaches them.
#include <gtest/gtest.h>

#include <memory>

#include "CATBaseUnknown.h"
#include "CATMetaClass.h"
#include "CATTie.h"
#include "TestSessions.h"

namespace {

const IID IID_ITestGreeter = {"ITestGreeter"};

class ITestGreeter : public virtual CATBaseUnknown {
 public:
  static const IID& ClassId() { return IID_ITestGreeter; }
  static CATMetaClass* MetaObject() {
    static CATMetaClass meta(IID_ITestGreeter, "ITestGreeter", CATBaseUnknown::MetaObject(),
                             CATInterfaceKind, "CATNull", "Test");
    return &meta;
  }
  virtual HRESULT Greet(int& oDepth) = 0;
};
typedef CATHandle<ITestGreeter> ITestGreeter_var;

// An object of late type "TESTTHING" that implements nothing itself.
class TestThing : public CATBaseUnknown {
 public:
  static CATMetaClass* MetaObject() {
    static CATMetaClass meta({"TestThing"}, "TestThing", CATBaseUnknown::MetaObject(),
                             CATImplementationKind, "TESTTHING", "Test");
    return &meta;
  }
  CATMetaClass* GetMetaObject() const override { return MetaObject(); }
};

// The data extension of "TESTTHING" that implements ITestGreeter.
class TestGreeterExt : public CATBaseUnknown {
 public:
  static CATBaseUnknown* Create() { return new TestGreeterExt; }
  static CATMetaClass* MetaObject() {
    static CATMetaClass meta({"TestGreeterExt"}, "TestGreeterExt",
                             CATBaseUnknown::MetaObject(), CATDataExtensionKind,
                             "TESTTHING", "Test", &Create);
    return &meta;
  }
  CATMetaClass* GetMetaObject() const override { return MetaObject(); }
  HRESULT Greet(int& oDepth) {
    oDepth = Tie_StackCtx::Depth();
    return GetImpl() ? S_OK : E_FAIL;  // bound to the object it extends
  }
};

class TieTestGreeter : public ITestGreeter {
 public:
  ~TieTestGreeter() override { Tie_Destruct(state_); }
  HRESULT QueryInterface(const IID& iIID, void** oPtr) override {
    return Tie_Query(state_, this, static_cast<ITestGreeter*>(this), IID_ITestGreeter,
                     iIID, oPtr);
  }
  ULONG AddRef() override { return Tie_AddRef(this); }
  ULONG Release() override { return Tie_Release(this); }
  HRESULT Greet(int& oDepth) override {
    return Tie_StackCtx::Run(this, [&] {
      return static_cast<TestGreeterExt*>(state_.implementation)->Greet(oDepth);
    });
  }
  CATTieState state_;
};

CATBaseUnknown* CreateTieTestGreeter(CATBaseUnknown* iExtended, CATBaseUnknown* iImpl) {
  TieTestGreeter* tie = new TieTestGreeter;
  static CATMetaClass meta({"TieTestGreeter"}, "ITestGreeter", ITestGreeter::MetaObject(),
                           CATTieKind, "CATNull", "Test", nullptr,
                           TestGreeterExt::MetaObject());
  if (Tie_Construct(tie->state_, tie, iExtended, iImpl, &meta, IID_ITestGreeter,
                    CATDataExtensionKind, &TestGreeterExt::Create) < 0) {
    tie->Release();
    return nullptr;
  }
  return tie;
}

class CATTieTest : public krvwd7_test::LeakCheckedTest {
 protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
    entry_ = std::make_unique<CATFillDictionary>(TestGreeterExt::MetaObject(),
                                                 ITestGreeter::MetaObject(),
                                                 &CreateTieTestGreeter, nullptr, 1);
  }
  void TearDown() override {
    entry_.reset();
    LeakCheckedTest::TearDown();
  }
  std::unique_ptr<CATFillDictionary> entry_;
};

TEST_F(CATTieTest, ExtensionIsReachableAndHasTheObjectsIdentity) {
  CATBaseUnknown* thing = new TestThing;
  CATBaseUnknown_var object(thing);
  thing->Release();
  ITestGreeter_var greeter(object);
  ASSERT_TRUE(greeter);
  int depth = -1;
  EXPECT_EQ(greeter->Greet(depth), S_OK);  // the extension reaches the object
  EXPECT_EQ(depth, 1);                     // inside one interface call
  EXPECT_EQ(Tie_StackCtx::Depth(), 0);
  EXPECT_TRUE(greeter == object);
  EXPECT_TRUE(object == greeter);
  // Back from the interface object to the object's other interfaces.
  CATBaseUnknown_var again(greeter.Get());
  EXPECT_TRUE(again == object);
}

TEST_F(CATTieTest, AnObjectWithoutTheEntryGivesAnEmptyHandle) {
  CATBaseUnknown* plain = new CATBaseUnknown;
  CATBaseUnknown_var object(plain);
  plain->Release();
  EXPECT_FALSE(ITestGreeter_var(object));
  CATBaseUnknown* thing = new TestThing;
  CATBaseUnknown_var other(thing);
  thing->Release();
  entry_.reset();  // the library is unloaded: its entry is withdrawn
  EXPECT_FALSE(ITestGreeter_var(other));
  EXPECT_EQ(CATInterfaceDictionary::Find("TESTTHING", IID_ITestGreeter), nullptr);
}

TEST(CATMetaClassTest, IsAKindOfFollowsTheBaseChain) {
  CATMetaClass* meta = TestGreeterExt::MetaObject();
  EXPECT_EQ(meta->IsAKindOf("TestGreeterExt"), 1);
  EXPECT_EQ(meta->IsAKindOf("CATBaseUnknown"), 1);
  EXPECT_EQ(meta->IsAKindOf("TestThing"), 0);
  EXPECT_EQ(meta->GetKind(), CATDataExtensionKind);
  EXPECT_STREQ(meta->GetType(), "TESTTHING");
}

}  // namespace
