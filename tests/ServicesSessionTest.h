// A fixture for the black-box services on a session loaded from text: the
// interactive application made before the leak count, the black box
// "BB.CATProduct" and its root, and the services.
#ifndef KRVWD7_TESTS_SERVICESSESSIONTEST_H_
#define KRVWD7_TESTS_SERVICESSESSIONTEST_H_

#include <string>

#include "KRVEWD7BlackBoxServices.h"
#include "MemDocument.h"
#include "MemProduct.h"
#include "TestSessions.h"

namespace krvwd7_test {

class ServicesSessionTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    MakeInteractiveApplication();
  }
  // Loads iText in place of the session, and clears the trace.
  void LoadText(const std::string& iText) {
    MemResult loaded = session().LoadFromText(iText, "services.json");
    ASSERT_TRUE(loaded) << loaded.error;
    document_ = session().FindDocument("BB.CATProduct");
    root_ = document_->Root();
    KRVWD7UtiTracer::ClearLines();
  }
  // A property of the black box's root.
  std::string Attribute(const std::string& iName) const { return PropertyOf(root_, iName); }

  KRVEWD7BlackBoxServices services_;
  MemDocument* document_ = nullptr;
  MemProduct* root_ = nullptr;
};

}  // namespace krvwd7_test

#endif  // KRVWD7_TESTS_SERVICESSESSIONTEST_H_
