// Fault points of the host and of the maker's libraries.
//
// Every operation of the in-memory host and of the maker's libraries that
// answers a result code is a fault point (MemFaultPoint, listed with the
// names used in session files in docs/fault-points.md). A fault makes one
// point answer a chosen result code instead of doing its work, so that
// tests (and sessions) reach answers no normal product gives: a negative
// GetProperty, a GetParameter that answers 0 with an empty handle, the
// second product of a copy that cannot be made. Outputs are cleared as on
// any failure.
//
// A fault names its point (a typed identifier: a misspelt name does not
// compile, and a session file naming an unknown point is refused), the
// result to answer, optionally the product it applies to, and the call it
// hits (1 = the first matching call, 0 = every call). A product is chosen
// - by document and instance path: the document's name or storage name,
//   and the instance names from below its root joined by "/" ("" is the
//   root); without a path, any product of that document (and calls on the
//   document itself);
// - or, as older session files do, by instance name or part number, which a
//   black-box node and its PSN twin share.
// Calls made without a product match only faults without one.
//
// Every call of every point is counted, whether a fault answered or not:
// a test runs an operation, reads how often it called each point
// (CallCounts), and can then fail each call in turn.
//
// A fault may also kill the process at the call it hits (MemFault::kill).
//
// Faults and counts are process-wide, like the session; Clear() removes the
// faults, ResetCalls() the counts.
#ifndef KRVWD7_HOST_MEMFAULTS_H_
#define KRVWD7_HOST_MEMFAULTS_H_

#include <string>
#include <utility>
#include <vector>

#include "CATBaseUnknown.h"

class CATDocument;
class MemProduct;

// The fault points. The order is that of the table in MemFaults.cpp.
enum class MemFaultPoint : int {
  // The maker's product services (KRVWD7UtiPrdServices).
  kGetProperty,
  kSetProperty,
  kCreateProperty,
  kGetParameter,
  kCreateParameter,
  kGetPrdProperty,
  kGetPartNumber,
  kSetPartNumber,
  kGetRevision,
  kGetDefinition,
  kGetNomenclature,
  kGetDescriptionRef,
  kGetInstanceName,
  kGetInstancePath,
  kGetPosition,
  kCopyPosition,
  kGetNodeType,
  kGetChildren,
  kGetAllChildren,
  kGetAllChildrenByPartNumber,
  kGetChildrenWithProperty,
  kFindInstance,
  kAddNewComponent,
  kCopyGraphicProperties,
  kCopyPropertiesOfInstanceProduct,
  kCopyPropertiesOfReferenceProduct,
  kSwitchToProductMode,
  kSwitchToDesignMode,
  kSwitchToVisuMode,
  // Documents, editors, selection, copy-paste, PDM and environment.
  kRetrieveRootProduct,
  kGetNbProductDocumentInSession,
  kGetFrmEditor,
  kAddInCSO,
  kEmptyCSO,
  kEmptyXSO,
  kCopyAndPaste,
  kCopyAndPasteProduct,  // each product a paste copies (steps of one paste)
  kCutAndPaste,
  kDragAndDrop,
  kDelete,
  kIsPDMDocument,
  kIsEnvVarSet,
  // VPM identity services (KRVWD7UtiVPMServices).
  kGetPrintableId,
  kGetInstanceEnvPath,
  kGetModelRevision,
  kGetReplacingClinks,
  kGetReplacingClinks2,
  // The black-box settings (KRVWD7Settings).
  kGetKRVWD7BlackBoxSettingCtrl,
  kSetPSNDirectory,
  kGetPSNDirectory,
  kGetPSNDirectoryInfo,
  kSetPSNDirectoryLock,
  kSetNoteTemplate,
  kGetNoteTemplate,
  kGetNoteTemplateInfo,
  kSetNoteTemplateLock,
  kSetTraceActivation,
  kGetTraceActivation,
  kGetTraceActivationInfo,
  kSetTraceActivationLock,
  kSetVersionSource,
  kGetVersionSource,
  kSetVersionAttribute,
  kGetVersionAttribute,
  kSetVersionProperty,
  kGetVersionProperty,
  kGetVersionSettingInfo,
  kSetRevisionSource,
  kGetRevisionSource,
  kSetRevisionAttribute,
  kGetRevisionAttribute,
  kSetRevisionProperty,
  kGetRevisionProperty,
  kGetRevisionSettingInfo,
  // Operations of the host's objects.
  kProductIsReference,
  kProductGetShapeRep,
  kMovableGetPosition,
  kShapeGetShapeFilePath,
  kShapeGetShapeName,
  kShapeRemoveShapeRepresentation,
  kShapeAddShapeRepresentation,
  kReplaceComponent,
  kActivateShape,
  kDocumentGetDocId,
  kDocumentGetDocEnvironment,
  kEnvironmentGetDisplayName,
  kParmValuate,
  // Files the host writes (session files, and the maker's atomic files).
  kFileCreate,
  kFileWrite,
  kFileCommit,
  kCount
};

constexpr int kMemFaultPointCount = static_cast<int>(MemFaultPoint::kCount);

// What a point can answer besides success and a negative code.
enum MemFaultAnswers : unsigned {
  kMemAnswersAbsent = 1u,  // a positive "absent / not found / refused" answer (1)
  kMemCreates = 2u         // makes objects: E_OUTOFMEMORY is a plausible answer
};

// The name of a point in session files and messages ("GetProperty",
// "CATIMovable.GetPosition").
const char* MemFaultPointName(MemFaultPoint iPoint);
// Bits of MemFaultAnswers.
unsigned MemFaultPointAnswers(MemFaultPoint iPoint);
// The point named iName; false when there is none.
bool MemFaultPointFromName(const std::string& iName, MemFaultPoint& oPoint);

struct MemFault {
  MemFaultPoint point = MemFaultPoint::kCount;
  HRESULT rc = 0;
  // By document and path: document non-empty; hasPath false for any
  // product of the document.
  std::string document;
  bool hasPath = false;
  std::string path;
  // Older form: instance name or part number; empty: any.
  std::string product;
  int call = 0;  // 1-based matching call that fails; 0: every call
  // Instead of answering, the process is killed (SIGKILL) at the call, as
  // kill -9 or a power cut would stop it: what an interrupted write leaves
  // behind can then be checked from outside.
  bool kill = false;
  int seen = 0;  // matching calls so far
  int hits = 0;  // times the fault answered
};

class MemFaults {
 public:
  // Declares a fault (a copy; its counters start at 0).
  static void Add(const MemFault& iFault);
  // A fault of iPoint answering iRc at call iCall (0: every call) of any
  // product, or of the products of that instance name or part number.
  static void Add(MemFaultPoint iPoint, HRESULT iRc,
                  const std::string& iProduct = "", int iCall = 0);
  // A fault of iPoint on the product at iPath below the root of the
  // document iDocument (name or storage name; "" for the root).
  static void AddAt(MemFaultPoint iPoint, HRESULT iRc,
                    const std::string& iDocument, const std::string& iPath,
                    int iCall = 0);
  static void Clear();

  // Counts a call of iPoint (on iProduct or iDocument, either may be
  // empty) and, when a fault applies to it, sets oRc and answers true.
  // Cheap when no fault is declared.
  static bool Hit(MemFaultPoint iPoint, const CATBaseUnknown_var& iProduct,
                  HRESULT& oRc);
  static bool Hit(MemFaultPoint iPoint, const MemProduct* iProduct,
                  HRESULT& oRc);
  static bool HitDocument(MemFaultPoint iPoint, CATDocument* iDocument,
                          HRESULT& oRc);
  static bool Hit(MemFaultPoint iPoint, HRESULT& oRc);

  // Number of times faults of iPoint answered.
  static int Hits(MemFaultPoint iPoint);
  static const std::vector<MemFault>& All();

  // Calls counted since the last ResetCalls.
  static void ResetCalls();
  static int Calls(MemFaultPoint iPoint);
  // The points called at least once, in the order of MemFaultPoint.
  static std::vector<std::pair<MemFaultPoint, int>> CallCounts();
};

#endif  // KRVWD7_HOST_MEMFAULTS_H_
