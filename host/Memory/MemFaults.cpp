#include "MemFaults.h"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <cstring>

#include "MemDocument.h"
#include "MemProduct.h"

namespace {

struct PointInfo {
  MemFaultPoint point;
  const char* name;
  unsigned answers;
};

constexpr unsigned kAbsent = kMemAnswersAbsent;
constexpr unsigned kCreates = kMemCreates;

// Every point with its name, in the order of the enumeration.
constexpr PointInfo kPoints[] = {
    {MemFaultPoint::kGetProperty, "GetProperty", kAbsent},
    {MemFaultPoint::kSetProperty, "SetProperty", 0},
    {MemFaultPoint::kCreateProperty, "CreateProperty", kCreates},
    {MemFaultPoint::kGetParameter, "GetParameter", kAbsent},
    {MemFaultPoint::kCreateParameter, "CreateParameter", kCreates},
    {MemFaultPoint::kGetPrdProperty, "GetPrdProperty", kAbsent},
    {MemFaultPoint::kGetPartNumber, "GetPartNumber", 0},
    {MemFaultPoint::kSetPartNumber, "SetPartNumber", kAbsent},
    {MemFaultPoint::kGetRevision, "GetRevision", 0},
    {MemFaultPoint::kGetDefinition, "GetDefinition", 0},
    {MemFaultPoint::kGetNomenclature, "GetNomenclature", 0},
    {MemFaultPoint::kGetDescriptionRef, "GetDescriptionRef", 0},
    {MemFaultPoint::kGetInstanceName, "GetInstanceName", 0},
    {MemFaultPoint::kGetInstancePath, "GetInstancePath", 0},
    {MemFaultPoint::kGetPosition, "GetPosition", 0},
    {MemFaultPoint::kCopyPosition, "CopyPosition", 0},
    {MemFaultPoint::kGetNodeType, "GetNodeType", 0},
    {MemFaultPoint::kGetChildren, "GetChildren", kCreates},
    {MemFaultPoint::kGetAllChildren, "GetAllChildren", kCreates},
    {MemFaultPoint::kGetAllChildrenByPartNumber, "GetAllChildrenByPartNumber", kCreates},
    {MemFaultPoint::kGetChildrenWithProperty, "GetChildrenWithProperty", kCreates},
    {MemFaultPoint::kFindInstance, "FindInstance", kAbsent},
    {MemFaultPoint::kAddNewComponent, "AddNewComponent", kCreates},
    {MemFaultPoint::kCopyGraphicProperties, "CopyGraphicProperties", 0},
    {MemFaultPoint::kCopyPropertiesOfInstanceProduct,
     "CopyPropertiesOfInstanceProduct", 0},
    {MemFaultPoint::kCopyPropertiesOfReferenceProduct,
     "CopyPropertiesOfReferenceProduct", 0},
    {MemFaultPoint::kSwitchToProductMode, "SwitchToProductMode", 0},
    {MemFaultPoint::kSwitchToDesignMode, "SwitchToDesignMode", 0},
    {MemFaultPoint::kSwitchToVisuMode, "SwitchToVisuMode", 0},
    {MemFaultPoint::kRetrieveRootProduct, "RetrieveRootProduct", 0},
    {MemFaultPoint::kGetNbProductDocumentInSession,
     "GetNbProductDocumentInSession", kCreates},
    {MemFaultPoint::kGetFrmEditor, "GetFrmEditor", 0},
    {MemFaultPoint::kAddInCSO, "AddInCSO", 0},
    {MemFaultPoint::kEmptyCSO, "EmptyCSO", 0},
    {MemFaultPoint::kEmptyXSO, "EmptyXSO", 0},
    {MemFaultPoint::kCopyAndPaste, "CopyAndPaste", kCreates},
    {MemFaultPoint::kCopyAndPasteProduct, "CopyAndPaste.Product", kCreates},
    {MemFaultPoint::kCutAndPaste, "CutAndPaste", 0},
    {MemFaultPoint::kDragAndDrop, "DragAndDrop", 0},
    {MemFaultPoint::kDelete, "Delete", 0},
    {MemFaultPoint::kIsPDMDocument, "IsPDMDocument", kAbsent},
    {MemFaultPoint::kIsEnvVarSet, "IsEnvVarSet", kAbsent},
    {MemFaultPoint::kGetPrintableId, "GetPrintableId", 0},
    {MemFaultPoint::kGetInstanceEnvPath, "GetInstanceEnvPath", 0},
    {MemFaultPoint::kGetModelRevision, "GetModelRevision", 0},
    {MemFaultPoint::kGetReplacingClinks, "GetReplacingClinks", kCreates},
    {MemFaultPoint::kGetReplacingClinks2, "GetReplacingClinks2", kCreates},
    {MemFaultPoint::kGetKRVWD7BlackBoxSettingCtrl,
     "GetKRVWD7BlackBoxSettingCtrl", kCreates},
    {MemFaultPoint::kSetPSNDirectory, "SetPSNDirectory", 0},
    {MemFaultPoint::kGetPSNDirectory, "GetPSNDirectory", 0},
    {MemFaultPoint::kGetPSNDirectoryInfo, "GetPSNDirectoryInfo", 0},
    {MemFaultPoint::kSetPSNDirectoryLock, "SetPSNDirectoryLock", 0},
    {MemFaultPoint::kSetNoteTemplate, "SetNoteTemplate", 0},
    {MemFaultPoint::kGetNoteTemplate, "GetNoteTemplate", 0},
    {MemFaultPoint::kGetNoteTemplateInfo, "GetNoteTemplateInfo", 0},
    {MemFaultPoint::kSetNoteTemplateLock, "SetNoteTemplateLock", 0},
    {MemFaultPoint::kSetTraceActivation, "SetTraceActivation", 0},
    {MemFaultPoint::kGetTraceActivation, "GetTraceActivation", 0},
    {MemFaultPoint::kGetTraceActivationInfo, "GetTraceActivationInfo", 0},
    {MemFaultPoint::kSetTraceActivationLock, "SetTraceActivationLock", 0},
    {MemFaultPoint::kSetVersionSource, "SetVersionSource", 0},
    {MemFaultPoint::kGetVersionSource, "GetVersionSource", 0},
    {MemFaultPoint::kSetVersionAttribute, "SetVersionAttribute", 0},
    {MemFaultPoint::kGetVersionAttribute, "GetVersionAttribute", 0},
    {MemFaultPoint::kSetVersionProperty, "SetVersionProperty", 0},
    {MemFaultPoint::kGetVersionProperty, "GetVersionProperty", 0},
    {MemFaultPoint::kGetVersionSettingInfo, "GetVersionSettingInfo", 0},
    {MemFaultPoint::kSetRevisionSource, "SetRevisionSource", 0},
    {MemFaultPoint::kGetRevisionSource, "GetRevisionSource", 0},
    {MemFaultPoint::kSetRevisionAttribute, "SetRevisionAttribute", 0},
    {MemFaultPoint::kGetRevisionAttribute, "GetRevisionAttribute", 0},
    {MemFaultPoint::kSetRevisionProperty, "SetRevisionProperty", 0},
    {MemFaultPoint::kGetRevisionProperty, "GetRevisionProperty", 0},
    {MemFaultPoint::kGetRevisionSettingInfo, "GetRevisionSettingInfo", 0},
    {MemFaultPoint::kProductIsReference, "CATIProduct.IsReference", 0},
    {MemFaultPoint::kProductGetShapeRep, "CATIProduct.GetShapeRep", 0},
    {MemFaultPoint::kMovableGetPosition, "CATIMovable.GetPosition", 0},
    {MemFaultPoint::kShapeGetShapeFilePath, "CATIProductShape.GetShapeFilePath",
     0},
    {MemFaultPoint::kShapeGetShapeName, "CATIProductShape.GetShapeName", 0},
    {MemFaultPoint::kShapeRemoveShapeRepresentation,
     "CATIProductShape.RemoveShapeRepresentation", 0},
    {MemFaultPoint::kShapeAddShapeRepresentation,
     "CATIProductShape.AddShapeRepresentation", kCreates},
    {MemFaultPoint::kReplaceComponent, "CATIProductReplace.ReplaceComponent",
     kCreates},
    {MemFaultPoint::kActivateShape, "CATIProductInSession.ActivateShape", 0},
    {MemFaultPoint::kDocumentGetDocId, "CATDocument.GetDocId", kCreates},
    {MemFaultPoint::kDocumentGetDocEnvironment, "CATDocument.GetDocEnvironment",
     0},
    {MemFaultPoint::kEnvironmentGetDisplayName,
     "CATIDocEnvironment.GetDisplayName", 0},
    {MemFaultPoint::kParmValuate, "CATICkeParm.Valuate", 0},
    {MemFaultPoint::kFileCreate, "File.Create", kCreates},
    {MemFaultPoint::kFileWrite, "File.Write", 0},
    {MemFaultPoint::kFileCommit, "File.Commit", 0},
};

static_assert(sizeof(kPoints) / sizeof(kPoints[0]) == kMemFaultPointCount,
              "every fault point has one entry in kPoints");

constexpr bool InEnumerationOrder() {
  for (int i = 0; i < kMemFaultPointCount; ++i) {
    if (static_cast<int>(kPoints[i].point) != i) return false;
  }
  return true;
}
static_assert(InEnumerationOrder(), "kPoints follows MemFaultPoint's order");

// The declared faults. A plain flag answers the common case (no fault at
// all) without touching the vector.
std::vector<MemFault>& Faults() {
  static std::vector<MemFault>* faults = new std::vector<MemFault>();
  return *faults;
}
bool g_any_fault = false;

std::array<int, kMemFaultPointCount>& CallCounters() {
  static std::array<int, kMemFaultPointCount> calls{};
  return calls;
}

// The subject of one call: a product, a document, or nothing. The
// product's document and path are worked out only when a fault asks.
class Subject {
 public:
  Subject() = default;
  explicit Subject(const MemProduct* iProduct) : product_(iProduct) {}
  explicit Subject(const MemDocument* iDocument) : document_(iDocument) {}

  bool Empty() const { return product_ == nullptr && document_ == nullptr; }

  bool MatchesNameOrPartNumber(const std::string& iName) const {
    return product_ != nullptr &&
           (iName == product_->InstanceName() || iName == product_->PartNumber());
  }

  bool MatchesDocument(const std::string& iDocument) {
    const MemDocument* document = Document();
    return document != nullptr &&
           (document->Name() == iDocument || document->Storage() == iDocument);
  }

  // The instance names from below the document's root down to the
  // product; false for a document or a product outside any document root.
  bool Path(std::string& oPath) const {
    if (product_ == nullptr) return false;
    std::vector<const MemProduct*> chain;
    const MemProduct* current = product_;
    while (current->Father() != nullptr) {
      chain.push_back(current);
      current = current->Father();
    }
    if (!current->IsRoot()) return false;
    oPath.clear();
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      if (!oPath.empty()) oPath += '/';
      oPath += (*it)->InstanceName();
    }
    return true;
  }

 private:
  const MemDocument* Document() {
    if (document_ == nullptr && product_ != nullptr) {
      const MemProduct* top = product_;
      while (top->Father() != nullptr) top = top->Father();
      if (top->IsRoot()) document_ = top->Document();
    }
    return document_;
  }

  const MemProduct* product_ = nullptr;
  const MemDocument* document_ = nullptr;
};

bool Matches(const MemFault& iFault, Subject& ioSubject) {
  if (!iFault.document.empty()) {
    if (!ioSubject.MatchesDocument(iFault.document)) return false;
    if (!iFault.hasPath) return true;
    std::string path;
    return ioSubject.Path(path) && path == iFault.path;
  }
  if (iFault.product.empty()) return true;
  return ioSubject.MatchesNameOrPartNumber(iFault.product);
}

// The declared faults that apply to a call, in order: the first one due
// answers. Kept out of line: most calls are made with no fault declared,
// and the test before it stays small.
__attribute__((noinline)) bool AnswerFaults(MemFaultPoint iPoint, Subject iSubject,
                                            HRESULT& oRc) {
  bool answered = false;
  for (MemFault& fault : Faults()) {
    if (fault.point != iPoint) continue;
    if (!Matches(fault, iSubject)) continue;
    ++fault.seen;
    if (answered) continue;  // later faults still count the call
    if (fault.call == 0 || fault.call == fault.seen) {
      if (fault.kill) ::kill(::getpid(), SIGKILL);
      ++fault.hits;
      oRc = fault.rc;
      answered = true;
    }
  }
  return answered;
}

bool HitImpl(MemFaultPoint iPoint, Subject iSubject, HRESULT& oRc) {
  const int index = static_cast<int>(iPoint);
  if (index < 0 || index >= kMemFaultPointCount) return false;
  ++CallCounters()[static_cast<size_t>(index)];
  return g_any_fault && AnswerFaults(iPoint, iSubject, oRc);
}

}  // namespace

const char* MemFaultPointName(MemFaultPoint iPoint) {
  const int index = static_cast<int>(iPoint);
  if (index < 0 || index >= kMemFaultPointCount) return "?";
  return kPoints[index].name;
}

unsigned MemFaultPointAnswers(MemFaultPoint iPoint) {
  const int index = static_cast<int>(iPoint);
  if (index < 0 || index >= kMemFaultPointCount) return 0;
  return kPoints[index].answers;
}

bool MemFaultPointFromName(const std::string& iName, MemFaultPoint& oPoint) {
  for (const PointInfo& info : kPoints) {
    if (iName == info.name) {
      oPoint = info.point;
      return true;
    }
  }
  return false;
}

void MemFaults::Add(const MemFault& iFault) {
  MemFault fault = iFault;
  fault.call = fault.call < 0 ? 0 : fault.call;
  fault.seen = 0;
  fault.hits = 0;
  Faults().push_back(fault);
  g_any_fault = true;
}

void MemFaults::Add(MemFaultPoint iPoint, HRESULT iRc,
                    const std::string& iProduct, int iCall) {
  MemFault fault;
  fault.point = iPoint;
  fault.rc = iRc;
  fault.product = iProduct;
  fault.call = iCall;
  Add(fault);
}

void MemFaults::AddAt(MemFaultPoint iPoint, HRESULT iRc,
                      const std::string& iDocument, const std::string& iPath,
                      int iCall) {
  MemFault fault;
  fault.point = iPoint;
  fault.rc = iRc;
  fault.document = iDocument;
  fault.hasPath = true;
  fault.path = iPath;
  fault.call = iCall;
  Add(fault);
}

void MemFaults::Clear() {
  Faults().clear();
  g_any_fault = false;
}

bool MemFaults::Hit(MemFaultPoint iPoint, const CATBaseUnknown_var& iProduct,
                    HRESULT& oRc) {
  if (!g_any_fault) return HitImpl(iPoint, Subject(), oRc);
  return HitImpl(iPoint, Subject(MemProduct::From(iProduct)), oRc);
}

bool MemFaults::Hit(MemFaultPoint iPoint, const MemProduct* iProduct,
                    HRESULT& oRc) {
  return HitImpl(iPoint, Subject(iProduct), oRc);
}

bool MemFaults::HitDocument(MemFaultPoint iPoint, CATDocument* iDocument,
                            HRESULT& oRc) {
  if (!g_any_fault) return HitImpl(iPoint, Subject(), oRc);
  return HitImpl(iPoint, Subject(MemDocument::From(iDocument)), oRc);
}

bool MemFaults::Hit(MemFaultPoint iPoint, HRESULT& oRc) {
  return HitImpl(iPoint, Subject(), oRc);
}

int MemFaults::Hits(MemFaultPoint iPoint) {
  int hits = 0;
  for (const MemFault& fault : Faults()) {
    if (fault.point == iPoint) hits += fault.hits;
  }
  return hits;
}

const std::vector<MemFault>& MemFaults::All() { return Faults(); }

void MemFaults::ResetCalls() { CallCounters().fill(0); }

int MemFaults::Calls(MemFaultPoint iPoint) {
  const int index = static_cast<int>(iPoint);
  if (index < 0 || index >= kMemFaultPointCount) return 0;
  return CallCounters()[static_cast<size_t>(index)];
}

std::vector<std::pair<MemFaultPoint, int>> MemFaults::CallCounts() {
  std::vector<std::pair<MemFaultPoint, int>> counts;
  for (int i = 0; i < kMemFaultPointCount; ++i) {
    const int calls = CallCounters()[static_cast<size_t>(i)];
    if (calls > 0) counts.emplace_back(static_cast<MemFaultPoint>(i), calls);
  }
  return counts;
}
