// Migration of black boxes: Migrate (version 1 to version 2), Migrate2
// (re-attaching a version 2 black box to the PSN open beside it) and
// MigrateAfterRootPartVersionning (following a new version of the PSN root
// part).
//
// Results: E_INVALIDARG when the operation does not apply (an empty text,
// a document that may not be worked on, a root that is not a black box of
// the version the operation migrates), with only the entry trace line;
// E_FAIL when a step failed, S_OK otherwise, both after the exit trace
// line. Every step's failure is told by an "ERROR: ..." trace line and
// nothing is rolled back.
#include <string>
#include <unordered_map>

#include "CATDocument.h"
#include "CATListPtrCATDocument.h"
#include "CATListValKRVWD7PrdInfo.h"
#include "CATMsgCatalog.h"
#include "KRVEWD7BlackBoxServices.h"
#include "KRVIWD7BlackBox.h"
#include "KRVWD7CoreInternal.h"
#include "KRVWD7CoreServices.h"
#include "KRVWD7PrdInfo.h"
#include "KRVWD7PrdInfoListServices.h"
#include "KRVWD7UtiDocServices.h"
#include "KRVWD7UtiPrdServices.h"
#include "KRVWD7UtiVPMServices.h"

using krvwd7_core::Trace;
using krvwd7_core::TraceF;

namespace {

const char kCatalog[] = "KRVEWD7BlackBoxServices";

// The black-box root of iDocument and its black-box interface, when the
// operation applies: iDocument may be worked on and its root is a black box
// of version iVersion.
bool Applies(CATDocument& iDocument, int iVersion,
             KRVIWD7BlackBox_var& oBlackBox) {
  oBlackBox = KRVIWD7BlackBox_var();
  if (FAILED(KRVWD7CoreServices::CheckVPMDocument(iDocument))) return false;
  CATBaseUnknown_var root;
  if (FAILED(KRVWD7UtiPrdDocServices::RetrieveRootProduct(&iDocument, root)) ||
      !root) {
    return false;
  }
  const KRVIWD7BlackBox_var black_box(root);
  if (!krvwd7_core::IsABlackBox(black_box)) return false;
  int version = 0;
  if (FAILED(black_box->GetVersion(version)) || version != iVersion) {
    return false;
  }
  oBlackBox = black_box;
  return true;
}

// The root of iDocument switched to product mode, or empty; each failure
// traced with iMissing or iNoSwitch.
CATBaseUnknown_var RootInProductMode(CATDocument* iDocument,
                                     const char* iMissing,
                                     const char* iNoSwitch) {
  CATBaseUnknown_var root;
  if (FAILED(KRVWD7UtiPrdDocServices::RetrieveRootProduct(iDocument, root)) ||
      !root) {
    Trace(iMissing);
    return CATBaseUnknown_var();
  }
  if (FAILED(KRVWD7CoreServices::SwitchToProductMode(root))) Trace(iNoSwitch);
  return root;
}

// The PSN document: the other of exactly two product documents open (the
// later one in the list when neither is iBlackBoxDocument). Null, traced,
// when there is none.
CATDocument* FindPSNDocument(CATDocument& iBlackBoxDocument) {
  int count = 0;
  CATListPtrCATDocument documents;
  CATDocument* found = nullptr;
  if (SUCCEEDED(KRVWD7UtiPrdDocServices::GetNbProductDocumentInSession(
          count, documents)) &&
      count == 2) {
    for (int i = 1; i <= documents.Size(); ++i) {
      CATDocument* document = documents[i];
      if (document != nullptr && !document->IsEqual(&iBlackBoxDocument)) {
        found = document;
      }
    }
  }
  if (found == nullptr) Trace("ERROR: PSN document not open !");
  return found;
}

// The node of the black box that stands for the PSN root, from the stored
// type: the root for type 1, the instance of the stored PSN part number
// for type 2, empty otherwise (and when the instance is not found).
// oType: the type read, 0 when it cannot be read.
CATBaseUnknown_var NodeFromStoredType(const CATBaseUnknown_var& iRoot,
                                      const KRVIWD7BlackBox_var& iBlackBox,
                                      int& oType) {
  CATUnicodeString part_number;
  if (FAILED(iBlackBox->GetType(oType, part_number))) oType = 0;
  if (oType == 1) return iRoot;
  if (oType != 2) return CATBaseUnknown_var();
  CATBaseUnknown_var node;
  const HRESULT rc =
      KRVWD7UtiPrdServices::FindInstance(iRoot, part_number, 0, node, 0);
  if (FAILED(rc)) {
    Trace("ERROR: The intermediate node representing the PSN has not been "
          "retrieved !");
    return CATBaseUnknown_var();
  }
  if (rc != S_OK) return CATBaseUnknown_var();
  return node;
}

// iNote + " (" + the catalog text of "MigrateFrom" + iPartNumber + ")".
CATUnicodeString MigratedNote(const CATUnicodeString& iNote,
                              const CATUnicodeString& iPartNumber) {
  const CATUnicodeString from =
      CATMsgCatalog::BuildMessage(kCatalog, "MigrateFrom", nullptr, 0, "");
  return iNote + " (" + from + iPartNumber + ")";
}

// The first record of iList for each instance path without its first
// component: the answer of GetPrdInfo by instance path with one component
// skipped, for every key at once. Records whose path has a single
// component have no such key.
class PathSkipOneIndex {
 public:
  explicit PathSkipOneIndex(const CATListValKRVWD7PrdInfo& iList) {
    first_.reserve(static_cast<size_t>(iList.Size()));
    CATUnicodeString path;
    for (int i = 1; i <= iList.Size(); ++i) {
      if (FAILED(iList[i].GetInstancePath(path, 1)) ||
          path.GetLengthInChar() == 0) {
        continue;
      }
      first_.emplace(path.ToStdString(), i);
    }
  }
  // The position of the record, 0 when none.
  int Find(const CATUnicodeString& iPath) const {
    const auto it = first_.find(iPath.ToStdString());
    return it == first_.end() ? 0 : it->second;
  }

 private:
  std::unordered_map<std::string, int> first_;
};

// Gives every product below iNode the printable id and VPM environment of
// the PSN product at the same place: a black-box path without its first
// iCut components is the PSN path without its root. True when it
// succeeded.
bool TransferIdentities(const CATBaseUnknown_var& iPSNRoot,
                        const CATBaseUnknown_var& iNode,
                        const CATBaseUnknown_var& iBlackBoxRoot, int iCut) {
  CATListValKRVWD7PrdInfo psn_list;
  CATListValKRVWD7PrdInfo bb_list;
  const bool psn_listed = SUCCEEDED(KRVWD7PrdInfoListServices::BuildPrdInfoList(
      iPSNRoot, psn_list, 0, CATBaseUnknown_var(), nullptr));
  if (!psn_listed) {
    Trace("ERROR: The retrieval of the information on the products of the PSN "
          "document has failed !");
  }
  if (FAILED(KRVWD7PrdInfoListServices::BuildPrdInfoList(
          iNode, bb_list, 1, iBlackBoxRoot, nullptr))) {
    Trace("ERROR: The retrieval of the information on the products of the "
          "Black Box document has failed !");
    return false;
  }
  if (!psn_listed) return false;

  // An index stands for the first-to-last scan of GetPrdInfo: the same
  // record is found, in constant time.
  const PathSkipOneIndex psn_by_path(psn_list);
  bool failed = false;
  CATUnicodeString path;
  for (int i = 1; i <= bb_list.Size(); ++i) {
    const KRVWD7PrdInfo& record = bb_list[i];
    if (FAILED(record.GetInstancePath(path, iCut)) ||
        path.GetLengthInChar() == 0) {
      Trace("ERROR: The retrieval of the instance path on a product of the PSN "
            "document has failed !");
      failed = true;
      continue;
    }
    const int found = psn_by_path.Find(path);
    if (found == 0) {
      TraceF("INFORMATION: The product %s has not been identified in the PSN !",
             path.ConvertToChar());
      continue;
    }
    CATUnicodeString printable_id;
    CATUnicodeString vpm_env;
    psn_list[found].GetPrintableId(printable_id, 0);
    psn_list[found].GetPDMEnv(vpm_env);
    CATBaseUnknown_var product;
    record.GetProduct(product);
    if (!product) continue;
    if (FAILED(KRVWD7CoreServices::SetPrintableIdParameterOnNode(
            product, printable_id, vpm_env))) {
      Trace("ERROR: The initialization of the printable id parameter on a "
            "product of the Black Box document has failed !");
      failed = true;
    }
  }
  if (failed && bb_list.Size() > 0) {
    Trace("ERROR: One or several products of the Black Box have not been "
          "migrate !");
    return false;
  }
  Trace("INFORMATION: Products migration of the Black Box is successful !");
  return true;
}

// The first steps of Migrate and Migrate2 once they apply: the PSN
// document found, then both roots switched to product mode, each failure
// traced. False when either root is missing.
bool BothRoots(CATDocument& iDocument, CATBaseUnknown_var& oPSNRoot,
               CATBaseUnknown_var& oBBRoot) {
  CATDocument* psn_document = FindPSNDocument(iDocument);
  if (psn_document == nullptr) return false;
  oPSNRoot = RootInProductMode(
      psn_document, "ERROR: PSN Root Product not retrieved !",
      "ERROR: The switch to product mode has failed for the PSN Root Product !");
  oBBRoot = RootInProductMode(
      &iDocument, "ERROR: Black Box Root Product not retrieved !",
      "ERROR: The switch to product mode has failed for the Black Box Root "
      "Product !");
  if (!oPSNRoot || !oBBRoot) return false;
  return true;
}

// The end of Migrate and Migrate2: the final line, the exit line, the
// result.
HRESULT Finish(bool iSucceeded, const char* iExitLine) {
  if (iSucceeded) {
    Trace("INFORMATION: The migration of the Black Box has succeeded !");
  }
  Trace(iExitLine);
  return iSucceeded ? S_OK : E_FAIL;
}

void TraceRootParameters(bool iSucceeded) {
  Trace(iSucceeded ? "INFORMATION: Necessary parameters on the root product of "
                     "the Black Box have been set successfully !"
                   : "ERROR: Initialization of the necessary parameters on the "
                     "root product of the Black Box has failed !");
}

}  // namespace

// --- Migrate -----------------------------------------------------------------------

HRESULT KRVEWD7BlackBoxServices::Migrate(CATDocument& iDocument,
                                         const CATUnicodeString& iPSNFilename) {
  Trace(">> KRVEWD7BlackBoxServices::Migrate()");
  const char kExit[] = "<< KRVEWD7BlackBoxServices::Migrate()";
  KRVIWD7BlackBox_var black_box;
  if (iPSNFilename.GetLengthInChar() == 0 || !Applies(iDocument, 1, black_box)) {
    return E_INVALIDARG;
  }
  CATBaseUnknown_var psn_root;
  CATBaseUnknown_var bb_root;
  if (!BothRoots(iDocument, psn_root, bb_root)) return Finish(false, kExit);

  // The node that stands for the PSN root: the instance of the PSN root's
  // part number, or the black-box root itself when there is none.
  CATUnicodeString part_number;
  CATBaseUnknown_var node;
  if (FAILED(KRVWD7UtiPrdServices::GetPartNumber(psn_root, part_number)) ||
      part_number.GetLengthInChar() == 0) {
    Trace("ERROR: PartNumber of the PSN document not retrieved !");
  } else {
    const HRESULT rc =
        KRVWD7UtiPrdServices::FindInstance(bb_root, part_number, 0, node, 0);
    if (FAILED(rc)) {
      Trace("ERROR: The search of the PSN intermediate node in the Black Box "
            "has failed !");
      node = CATBaseUnknown_var();
    } else if (rc == 1) {
      node = bb_root;
    }
  }
  const int type = node == bb_root ? 1 : 2;

  CATUnicodeString psn_printable_id;
  if (FAILED(KRVWD7UtiVPMServices::GetPrintableId(psn_root, psn_printable_id))) {
    Trace("ERROR: The retrieval of the printable id of the PSN document has "
          "failed !");
  }
  // Every setter is called, whatever the others gave.
  bool root_ok = SUCCEEDED(black_box->SetPSNFilename(iPSNFilename));
  root_ok = SUCCEEDED(black_box->SetVersion(2)) && root_ok;
  root_ok = SUCCEEDED(black_box->SetType(type, part_number)) && root_ok;
  root_ok = SUCCEEDED(black_box->SetPSNPrintableId(psn_printable_id)) && root_ok;
  TraceRootParameters(root_ok);

  const bool transferred = TransferIdentities(psn_root, node, bb_root, type);
  return Finish(root_ok && transferred, kExit);
}

// --- Migrate2 ----------------------------------------------------------------------

HRESULT KRVEWD7BlackBoxServices::Migrate2(CATDocument& iDocument,
                                          const CATUnicodeString& iPSNFilename) {
  Trace(">> KRVEWD7BlackBoxServices::Migrate2()");
  const char kExit[] = "<< KRVEWD7BlackBoxServices::Migrate2()";
  KRVIWD7BlackBox_var black_box;
  if (iPSNFilename.GetLengthInChar() == 0 || !Applies(iDocument, 2, black_box)) {
    return E_INVALIDARG;
  }
  CATBaseUnknown_var psn_root;
  CATBaseUnknown_var bb_root;
  if (!BothRoots(iDocument, psn_root, bb_root)) return Finish(false, kExit);

  int type = 0;
  const CATBaseUnknown_var node = NodeFromStoredType(bb_root, black_box, type);
  CATUnicodeString psn_printable_id;
  if (FAILED(KRVWD7UtiVPMServices::GetPrintableId(psn_root, psn_printable_id))) {
    Trace("ERROR: The retrieval of the printable id of the PSN document has "
          "failed !");
    psn_printable_id = CATUnicodeString();
  }
  CATUnicodeString psn_part_number;
  if (FAILED(KRVWD7UtiPrdServices::GetPartNumber(psn_root, psn_part_number))) {
    Trace("ERROR: The retrieval of the part number of the PSN document has "
          "failed !");
    psn_part_number = CATUnicodeString();
  }
  // A note that cannot be read is left alone, and that is no failure.
  bool root_ok = true;
  CATUnicodeString note;
  if (SUCCEEDED(black_box->GetNote(note))) {
    root_ok = SUCCEEDED(black_box->SetNote(MigratedNote(note, psn_part_number)));
  }
  root_ok = SUCCEEDED(black_box->SetPSNFilename(iPSNFilename)) && root_ok;
  root_ok = SUCCEEDED(black_box->SetType(type, psn_part_number)) && root_ok;
  root_ok = SUCCEEDED(black_box->SetPSNPrintableId(psn_printable_id)) && root_ok;
  // An empty node differs from the root too: the call then fails.
  if (node != bb_root) {
    root_ok =
        SUCCEEDED(KRVWD7UtiPrdServices::SetPartNumber(node, psn_part_number)) &&
        root_ok;
  }
  TraceRootParameters(root_ok);

  const bool transferred = TransferIdentities(psn_root, node, bb_root, type);
  return Finish(root_ok && transferred, kExit);
}

// --- MigrateAfterRootPartVersionning -----------------------------------------------

HRESULT KRVEWD7BlackBoxServices::MigrateAfterRootPartVersionning(
    CATDocument& iDocument, const CATUnicodeString& iNewPSNPrintableId,
    const CATUnicodeString& iNewPSNFilename,
    const CATUnicodeString& iNewPSNPartNumber) {
  Trace(">> KRVEWD7BlackBoxServices::MigrateAfterRootPartVersionning()");
  const char kExit[] =
      "<< KRVEWD7BlackBoxServices::MigrateAfterRootPartVersionning()";
  KRVIWD7BlackBox_var black_box;
  if (iNewPSNPrintableId.GetLengthInChar() == 0 ||
      iNewPSNFilename.GetLengthInChar() == 0 ||
      iNewPSNPartNumber.GetLengthInChar() == 0 ||
      !Applies(iDocument, 2, black_box)) {
    return E_INVALIDARG;
  }
  const auto fail = [&kExit]() {
    Trace(kExit);
    return E_FAIL;
  };
  const CATBaseUnknown_var bb_root = RootInProductMode(
      &iDocument, "ERROR: BB Root Product not retrieved !",
      "ERROR: The switch to product mode has failed for the BB Root Product !");
  if (!bb_root) return fail();
  int type = 0;
  const CATBaseUnknown_var node = NodeFromStoredType(bb_root, black_box, type);
  if (!node) return fail();
  CATUnicodeString initial_id;
  if (FAILED(black_box->GetPSNPrintableId(initial_id)) ||
      initial_id.GetLengthInChar() == 0) {
    Trace("ERROR: The retrieval of the initial PSN Printable Id has failed !");
    return fail();
  }
  CATListValKRVWD7PrdInfo records;
  if (FAILED(KRVWD7PrdInfoListServices::BuildPrdInfoList(node, records, 1,
                                                         bb_root, nullptr))) {
    Trace("ERROR: The retrieval of the information on the products of the "
          "Black Box document has failed !");
    return fail();
  }

  // Every stored printable id that begins with the initial PSN id gets the
  // new id in its place. (Replacing a leading text cannot fail on this
  // host's texts, so the id replacement has no failure of its own.)
  bool failed = false;
  {
    krvwd7_core::ScopedProgress progress("BlackBoxMigrateInProgress", kCatalog,
                                         "BlackBoxMigrateInProgress");
    progress.Init(1, records.Size(), 1);
    const int initial_length = initial_id.GetLengthInChar();
    CATUnicodeString printable_id;
    for (int i = 1; i <= records.Size() && !failed; ++i) {
      records[i].GetPrintableId(printable_id, 1);
      if (printable_id.GetLengthInChar() > 0 &&
          printable_id.SearchSubString(initial_id, 0) == 0) {
        printable_id.ReplaceSubString(0, initial_length, iNewPSNPrintableId);
        CATBaseUnknown_var product;
        records[i].GetProduct(product);
        if (!product) {
          Trace("ERROR: The retrieval of the sub-product pointer has failed !");
          failed = true;
        } else if (FAILED(KRVWD7CoreServices::SetPrintableIdParameterOnNode(
                       product, printable_id, "Unchanged"))) {
          Trace("ERROR: The re-initialization of the printable id has failed "
                "for a sub-product !");
          failed = true;
        }
      }
      progress.Step();
    }
  }
  if (failed) return fail();

  bool ok = true;
  if (FAILED(black_box->SetPSNFilename(iNewPSNFilename))) {
    Trace("ERROR: The re-initialization of the PSN filename property has "
          "failed !");
    ok = false;
  }
  if (FAILED(black_box->SetType(type, iNewPSNPartNumber))) {
    Trace("ERROR: The re-initialization of the PSN Part Number property has "
          "failed !");
    ok = false;
  }
  if (FAILED(black_box->SetPSNPrintableId(iNewPSNPrintableId))) {
    Trace("ERROR: The re-initialization of the PSN Printable Id property has "
          "failed !");
    ok = false;
  }
  CATUnicodeString note;
  if (FAILED(black_box->GetNote(note)) ||
      FAILED(black_box->SetNote(MigratedNote(note, iNewPSNPartNumber)))) {
    Trace("ERROR: The re-initialization of the Note property has failed !");
    ok = false;
  }
  if (node != bb_root &&
      FAILED(KRVWD7UtiPrdServices::SetPartNumber(node, iNewPSNPartNumber))) {
    Trace("ERROR: The re-initialization of the Part Number of the intermediate "
          "node has failed !");
    ok = false;
  }
  Trace(kExit);
  return ok ? S_OK : E_FAIL;
}
