// Helpers shared by the tests of the core library: handles on in-memory
// products, hand-made records, trace look-ups, a progress recorder and a
// fixture that checks for leaked objects and dialogs.
#ifndef KRVWD7_TESTS_TESTSESSIONS_H_
#define KRVWD7_TESTS_TESTSESSIONS_H_

#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "CATDialog.h"
#include "CATDlgNotify.h"
#include "CATError.h"
#include "CATGetEnv.h"
#include "CATListValKRVWD7PrdInfo.h"
#include "KRVIWD7BlackBoxSettingAtt.h"
#include "KRVWD7UtiDlgProgress.h"
#include "KRVWD7UtiTracer.h"
#include "MemBuilder.h"
#include "MemFaults.h"
#include "MemSession.h"

namespace krvwd7_test {

inline CATBaseUnknown_var Handle(MemProduct* iProduct) {
  return CATBaseUnknown_var(static_cast<CATIProduct*>(iProduct));
}

// A live object that is no product.
inline CATBaseUnknown_var NotAProduct() {
  CATBaseUnknown* object = new CATBaseUnknown;
  CATBaseUnknown_var handle(object);
  object->Release();
  return handle;
}

// A record built by hand (no product behind it).
inline KRVWD7PrdInfo Rec(const std::string& iId, const std::string& iPath = "") {
  KRVWD7PrdInfo info;
  info.SetPrintableId(iId.c_str());
  info.SetInstancePath(iPath.c_str());
  return info;
}

// A list of copies of iRecords, in order.
inline CATListValKRVWD7PrdInfo ListOf(const std::vector<KRVWD7PrdInfo>& iRecords) {
  CATListValKRVWD7PrdInfo list;
  for (const KRVWD7PrdInfo& record : iRecords) list.Append(record);
  return list;
}

// The printable id and the instance path of a record.
inline std::string IdOf(const KRVWD7PrdInfo& iInfo) {
  CATUnicodeString id;
  iInfo.GetPrintableId(id, 0);
  return id.ToStdString();
}
inline std::string PathOf(const KRVWD7PrdInfo& iInfo) {
  CATUnicodeString path;
  iInfo.GetInstancePath(path, 0);
  return path.ToStdString();
}

// "p1,p2": the instance paths (or with iIds the printable ids) in order.
inline std::string Paths(const CATListValKRVWD7PrdInfo& iList, bool iIds = false) {
  std::string out;
  for (int i = 1; i <= iList.Size(); ++i) {
    out += (i > 1 ? "," : "") + (iIds ? IdOf(iList[i]) : PathOf(iList[i]));
  }
  return out;
}

// "TEMP/krvwd7-SUITE-TEST" + iSuffix: a file name of the running test's own,
// as CTest runs the tests in parallel processes ("/" of parameterised
// names as "-").
inline std::string TempName(const std::string& iSuffix) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(test->test_suite_name()) + "-" + test->name();
  for (char& c : name) {
    if (c == '/') c = '-';
  }
  // The process id keeps two checkouts testing at once on one machine
  // apart.
  return ::testing::TempDir() + "krvwd7-" + name + "-" + std::to_string(::getpid()) + iSuffix;
}

// The pieces of iText between iSeparators (its lines by default); no piece
// after a last separator.
inline std::vector<std::string> SplitLines(const std::string& iText, char iSeparator = '\n') {
  std::vector<std::string> lines;
  std::istringstream in(iText);
  for (std::string line; std::getline(in, line, iSeparator);) lines.push_back(line);
  return lines;
}

// iText with every iKey replaced by iValue.
inline std::string Replaced(std::string iText, const std::string& iKey,
                            const std::string& iValue) {
  for (size_t at = iText.find(iKey); at != std::string::npos; at = iText.find(iKey, at)) {
    iText.replace(at, iKey.size(), iValue);
    at += iValue.size();
  }
  return iText;
}

// "catalog/key" of the error the host keeps, "" when none.
inline std::string LastErrorKey() {
  const CATError* error = CATError::LastError();
  return error ? error->GetMsgCatalog().ToStdString() + "/" + error->GetMsgId().ToStdString() : "";
}

inline std::string Joined(const std::vector<std::string>& iLines) {
  std::string all;
  for (const std::string& line : iLines) all += line + "\n";
  return all;
}

// The trace with the times of "[PERFO]" lines replaced by "T".
inline std::vector<std::string> TraceWithoutTimes() {
  std::vector<std::string> lines = KRVWD7UtiTracer::Lines();
  for (std::string& line : lines) {
    if (line.rfind("[PERFO]", 0) == 0) line = line.substr(0, line.rfind('[')) + "[T]";
  }
  return lines;
}

// How many trace lines are iLine.
inline int TraceCount(const std::string& iLine) {
  int count = 0;
  for (const std::string& line : KRVWD7UtiTracer::Lines()) count += line == iLine;
  return count;
}

inline bool Traced(const std::string& iLine) { return TraceCount(iLine) > 0; }

// The product at iPath ("A.1/B.1", instance names) below iFrom; null when
// there is none.
inline MemProduct* FindPath(MemProduct* iFrom, const std::string& iPath) {
  MemProduct* product = iFrom;
  for (size_t start = 0, slash = 0; product != nullptr && slash != std::string::npos;
       start = slash + 1) {
    slash = iPath.find('/', start);
    product = product->FindChild(iPath.substr(start, slash - start));
  }
  return product;
}

// The products below iTop, depth first, each before its children.
inline std::vector<MemProduct*> ProductsBelow(MemProduct* iTop) {
  std::vector<MemProduct*> products;
  for (MemProduct* child : iTop->Children()) {
    products.push_back(child);
    for (MemProduct* below : ProductsBelow(child)) products.push_back(below);
  }
  return products;
}

// A structure, one product per line, for failure messages.
inline std::string Dump(const MemProduct* iProduct, int iDepth = 0) {
  std::string out = std::string(2 * iDepth, ' ') + iProduct->DescriptiveText() +
                    (iProduct->IsLoaded() ? "" : " [not loaded]") + "\n";
  for (const MemProduct* child : iProduct->Children()) out += Dump(child, iDepth + 1);
  return out;
}

// The instance names of iProduct's children, joined by ",".
inline std::string ChildNames(const MemProduct* iProduct) {
  std::string names;
  for (const MemProduct* child : iProduct->Children()) {
    names += (names.empty() ? "" : ",") + child->InstanceName();
  }
  return names;
}

// The value of iProduct's property iName, "<absent>" when it has none and
// "<no product>" for null.
inline std::string PropertyOf(const MemProduct* iProduct, const std::string& iName) {
  if (iProduct == nullptr) return "<no product>";
  std::optional<std::string_view> value = iProduct->FindProperty(iName);
  return value ? std::string(*value) : "<absent>";
}

// The value of the knowledge parameter iName, "<absent>" when there is none.
inline std::string ParmOf(const MemProduct* iProduct, const std::string& iName) {
  const MemParm* parm = iProduct->FindParm(iName);
  return parm ? parm->value() : "<absent>";
}

// The black-box settings, released at the end of the scope.
class Settings {
 public:
  Settings() {
    void* raw = nullptr;
    EXPECT_EQ(GetKRVWD7BlackBoxSettingCtrl(IID_KRVIWD7BlackBoxSettingAtt, &raw), S_OK);
    settings_ = static_cast<KRVIWD7BlackBoxSettingAtt*>(raw);
  }
  ~Settings() { settings_->Release(); }
  Settings(const Settings&) = delete;
  Settings& operator=(const Settings&) = delete;
  KRVIWD7BlackBoxSettingAtt* operator->() const { return settings_; }

 private:
  KRVIWD7BlackBoxSettingAtt* settings_ = nullptr;
};

// Records what progress bars show: "init TITLE first..last", "end"; steps
// counted, in all and by title.
class ProgressRecorder : public KRVWD7ProgressObserver {
 public:
  void OnInit(const KRVWD7UtiDlgProgress& iBar) override {
    events.push_back("init " + iBar.Title().ToStdString() + " " +
                     std::to_string(iBar.First()) + ".." + std::to_string(iBar.Last()));
  }
  void OnStep(const KRVWD7UtiDlgProgress& iBar) override {
    ++steps;
    ++steps_of[iBar.Title().ToStdString()];
  }
  void OnEnd(const KRVWD7UtiDlgProgress&) override { events.push_back("end"); }
  std::vector<std::string> events;
  int steps = 0;
  std::map<std::string, int> steps_of;  // steps by bar title
};

// Records the notifications shown: "TITLE: message", with the style and
// the dialog's name of the last one.
class NotifyRecorder : public CATDlgNotifyObserver {
 public:
  void OnDisplay(const CATDlgNotify& iNotify, const CATUnicodeString& iMessage,
                 const CATUnicodeString& iTitle) override {
    shown.push_back(iTitle.ToStdString() + ": " + iMessage.ToStdString());
    style = iNotify.GetStyle();
    name = iNotify.GetName().ConvertToChar();
  }
  std::vector<std::string> shown;
  int style = 0;
  std::string name;
};

// Checks that a test leaves no host object and no dialog alive. A fixture
// that derives from it calls LeakCheckedTest::SetUp() first in its SetUp,
// and LeakCheckedTest::TearDown() last in its TearDown, once its own
// objects are released; the process's session is checked for structural
// invariants, then the faults, the host's last error and the session are
// cleared before the count.
class LeakCheckedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MemSession::Current();  // lives for the process once made
    CountLiveObjects();
  }
  // Makes the interactive application, which lives for the process once
  // made, and takes the counts again.
  void MakeInteractiveApplication() {
    session().LoadFromText(R"({"format": "krvwd7-session/1", "interactive": true})", "w");
    session().Close();
    CountLiveObjects();
  }
  // Takes the counts again (after objects made once for the process).
  void CountLiveObjects() {
    live_ = CATBaseUnknown::LiveObjects();
    dialogs_ = CATDialog::LiveDialogs();
  }
  void TearDown() override {
    MemFaults::Clear();
    std::string problem;
    EXPECT_TRUE(MemSession::Current().CheckInvariants(problem)) << problem;
    CATError::ClearLastError();  // an error a service raised is kept by the host
    MemSession::Current().Close();
    EXPECT_EQ(CATDialog::LiveDialogs(), dialogs_) << "dialogs leaked";
    EXPECT_EQ(CATBaseUnknown::LiveObjects(), live_) << "objects leaked";
  }
  static MemSession& session() { return MemSession::Current(); }
  // Between the rows of a table: no fault, no error kept, no session.
  static void ResetSession() {
    MemFaults::Clear();
    CATError::ClearLastError();
    session().Close();
  }

 private:
  long live_ = 0;
  int dialogs_ = 0;
};

// Traces to memory, records progress bars and notifications, reads no
// catalog file, and checks for leaks.
class HostTest : public LeakCheckedTest {
 protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
    KRVWD7UtiTracer::ToMemory();
    KRVWD7UtiTracer::ClearLines();
    KRVWD7UtiDlgProgress::SetObserver(&progress_);
    CATDlgNotify::SetObserver(&notified_);
    CATSetEnvOverride("KRVWD7_CATALOGS", "/nonexistent-catalogs");
  }
  void TearDown() override {
    KRVWD7UtiDlgProgress::SetObserver(nullptr);
    CATDlgNotify::SetObserver(nullptr);
    LeakCheckedTest::TearDown();
  }

  ProgressRecorder progress_;
  NotifyRecorder notified_;
};

}  // namespace krvwd7_test

#endif  // KRVWD7_TESTS_TESTSESSIONS_H_
