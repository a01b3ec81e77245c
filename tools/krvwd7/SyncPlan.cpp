#include "SyncPlan.h"

#include <algorithm>
#include <unordered_map>

#include "CATError.h"
#include "CATIMovable.h"
#include "CATIProduct.h"
#include "CATMathTransformation.h"
#include "KRVWD7CoreServices.h"
#include "KRVWD7UtiDocServices.h"
#include "KRVWD7UtiPrdServices.h"
#include "ProductName.h"

namespace krvwd7 {

namespace {

bool IsLeafType(int iType) { return iType == 4 || iType == 5 || iType == 9; }
bool IsAssemblyType(int iType) { return iType == 2 || iType == 3; }

std::vector<std::string> SplitPath(const std::string& iPath) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= iPath.size() && !iPath.empty()) {
    size_t end = iPath.find('/', start);
    if (end == std::string::npos) end = iPath.size();
    names.push_back(iPath.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

CATBaseUnknown_var ProductOf(const KRVWD7PrdInfo& iRecord) {
  CATBaseUnknown_var product;
  iRecord.GetProduct(product);
  return product;
}

std::string Text(const CATUnicodeString& iText) { return iText.ToStdString(); }

// The error the last operation raised (catalog key and text), else its
// result code.
std::string ErrorText(HRESULT iRc) {
  const CATError* error = CATError::LastError();
  if (error != nullptr) {
    return error->GetMsgId().ToStdString() + ": " + error->GetNLSMessage().ToStdString();
  }
  return "result " + ResultText(iRc);
}

bool IsUpdate(const std::string& iType) {
  return iType == "VERSION" || iType == "REVISION" || iType == "VERSION/REVISION" ||
         iType == "ALTCUSTO" || iType == "REPLACE";
}

}  // namespace

// --- Making the plan ---------------------------------------------------------------

SyncPlan::SyncPlan(const SyncPair& iPair, const Comparison& iDiff) : pair_(iPair) {
  CATUnicodeString node_path;
  if (KRVWD7UtiPrdServices::GetInstancePath(pair_.node, pair_.bbRoot, node_path) >= 0) {
    node_depth_ = static_cast<int>(SplitPath(Text(node_path)).size());
  }
  const bool flat = pair_.bb.flatten;
  CATUnicodeString root_name;
  KRVWD7UtiPrdServices::GetInstanceName(pair_.psnRoot, root_name);
  psn_root_name_ = Text(root_name);

  // 1. Added PSN products, in the comparison's order (fathers first).
  for (int k = 1; k <= iDiff.added.Size(); ++k) {
    SyncAction action;
    action.kind = SyncAction::Kind::kAdd;
    action.difference = "ADDED";
    action.psn = iDiff.added[k];
    const int type = NodeTypeOf(action.psn);
    if (flat) {
      action.secondPass = IsLeafType(type);
      action.what = action.secondPass ? "add; place in pass 2" : "add";
    } else if (IsAssemblyType(type)) {
      action.what = "add, then reference properties";
    } else {
      action.what = "add";
    }
    AddAction(action);
  }

  // 2. Removed products, the deepest first (stable, so in entry order at
  // one depth).
  std::vector<SyncAction> removed;
  for (int k = 1; k <= iDiff.types.Size(); ++k) {
    if (iDiff.types[k].ToStdString() != "REMOVED") continue;
    SyncAction action;
    action.kind = SyncAction::Kind::kRemove;
    action.difference = "REMOVED";
    action.entry = k;
    action.bb = iDiff.bbEntries[k];
    action.psn = iDiff.psnEntries[k];
    action.what = "delete";
    removed.push_back(action);
  }
  std::vector<std::pair<size_t, size_t>> by_depth;  // (depth, position in removed)
  for (size_t i = 0; i < removed.size(); ++i) {
    by_depth.emplace_back(SplitPath(PathOf(removed[i].bb)).size(), i);
  }
  std::stable_sort(by_depth.begin(), by_depth.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  for (const auto& entry : by_depth) AddAction(removed[entry.second]);

  // 3 to 5, each in entry order.
  const char* const kSteps[] = {"update", "IDCHANGE", "POSITION"};
  for (const std::string step : kSteps) {
    for (int k = 1; k <= iDiff.types.Size(); ++k) {
      const std::string type = iDiff.types[k].ToStdString();
      const bool matches = step == "update" ? IsUpdate(type) : type == step;
      if (!matches) continue;
      SyncAction action;
      action.difference = type;
      action.entry = k;
      action.bb = iDiff.bbEntries[k];
      action.psn = iDiff.psnEntries[k];
      const std::string placed = flat ? ", place" : "";
      if (step == "update" && IsLeafType(NodeTypeOf(action.bb))) {
        action.kind = SyncAction::Kind::kUpdateLeaf;
        const bool models = NodeTypeOf(action.bb) == NodeTypeOf(action.psn) &&
                            NodeTypeOf(action.bb) != 4;
        action.what = std::string(models ? "refresh leaf" : "replace leaf") + ", identity" + placed;
      } else if (step == "update") {
        action.kind = SyncAction::Kind::kUpdateNode;
        action.what = std::string("refresh node") + (type == "REPLACE" ? ", part number" : "") +
                      ", identity" + placed;
      } else if (step == "IDCHANGE") {
        action.kind = SyncAction::Kind::kIdentity;
        action.what = "identity";
      } else if (pair_.positionsToPsn) {
        action.kind = SyncAction::Kind::kPositionToPsn;
        action.what = "position to PSN";
      } else {
        action.kind = SyncAction::Kind::kPositionFromPsn;
        action.what = flat ? "position from PSN root" : "position from PSN";
      }
      AddAction(action);
    }
  }
}

void SyncPlan::AddAction(SyncAction iAction) {
  const bool psn_side =
      iAction.kind == SyncAction::Kind::kAdd || iAction.kind == SyncAction::Kind::kPositionToPsn;
  const KRVWD7PrdInfo& record = psn_side ? iAction.psn : iAction.bb;
  iAction.product = FormatProduct(ProductOf(record));
  if (iAction.product.empty()) iAction.product = PathOf(record);
  iAction.partNumber = PartNumberOf(record);
  iAction.group = iAction.kind == SyncAction::Kind::kRemove ? GroupOf(iAction.bb, false)
                                                              : GroupOf(iAction.psn, true);
  actions_.push_back(std::move(iAction));
  added_.emplace_back();
}

// The first instance below the PSN root on the record's path (the product
// itself when it is an assembly just below the root); the PSN root's name
// for a leaf just below it and for the root.
std::string SyncPlan::GroupOf(const KRVWD7PrdInfo& iRecord, bool iPsnSide) const {
  const std::vector<std::string> names = SplitPath(PathOf(iRecord));
  const size_t skip = iPsnSide ? 1 : static_cast<size_t>(std::max(node_depth_, 1));
  if (names.size() > skip + 1 ||
      (names.size() == skip + 1 && IsAssemblyType(NodeTypeOf(iRecord)))) {
    return names[skip];
  }
  return psn_root_name_;
}

int SyncPlan::SecondPassCount() const {
  return static_cast<int>(std::count_if(actions_.begin(), actions_.end(),
                                        [](const SyncAction& a) { return a.secondPass; }));
}

// --- Applying it -------------------------------------------------------------------

CATBaseUnknown_var SyncPlan::Current(const KRVWD7PrdInfo& iRecord) const {
  CATBaseUnknown_var product = ProductOf(iRecord);
  auto found = replaced_.find(product.Get());
  return found == replaced_.end() ? product : found->second;
}

bool SyncPlan::PsnPosition(const KRVWD7PrdInfo& iRecord,
                           CATMathTransformation& oPosition) const {
  const CATBaseUnknown_var product = ProductOf(iRecord);
  if (!pair_.bb.flatten) {
    return KRVWD7UtiPrdServices::GetPosition(product, oPosition) >= 0;
  }
  CATIMovable_var movable(product);
  CATIMovable_var root(pair_.psnRoot);
  return movable && root && movable->GetPosition(oPosition, root, 0, 1) >= 0;
}

HRESULT SyncPlan::WriteIdentity(const CATBaseUnknown_var& iProduct,
                                const KRVWD7PrdInfo& iPsn) {
  CATUnicodeString id, env;
  iPsn.GetPrintableId(id, 1);
  iPsn.GetPDMEnv(env);
  return KRVWD7CoreServices::SetPrintableIdParameterOnNode(iProduct, id, env);
}

HRESULT SyncPlan::ApplyUpdate(SyncAction& ioAction) {
  CATBaseUnknown_var product = Current(ioAction.bb);
  const CATBaseUnknown_var psn_product = ProductOf(ioAction.psn);
  HRESULT rc = S_OK;
  if (ioAction.kind == SyncAction::Kind::kUpdateLeaf) {
    // A replaced leaf is a new instance at the same place, under the same
    // name; later actions on the entry's record follow it there.
    CATIProduct_var as_product(product);
    CATIProduct_var father = as_product ? as_product->GetFatherProduct() : CATIProduct_var();
    CATUnicodeString name;
    KRVWD7UtiPrdServices::GetInstanceName(product, name);
    rc = KRVWD7CoreServices::UpdateBBLeafFromPSN(product, psn_product, 0);
    CATBaseUnknown_var found;
    if (father && KRVWD7UtiPrdServices::FindInstance(CATBaseUnknown_var(father), name, 1, found,
                                                     1) == 0 &&
        found != product) {
      replaced_[ProductOf(ioAction.bb).Get()] = found;
      product = found;
    }
    if (FAILED(rc)) return rc;
  } else {
    rc = KRVWD7CoreServices::UpdateBBNodeFromPSN(product, psn_product, 1);
    if (FAILED(rc)) return rc;
    if (ioAction.difference == "REPLACE") {
      rc = KRVWD7CoreServices::CopyPartNumber(psn_product, product);
      if (FAILED(rc)) return rc;
    }
  }
  CATUnicodeString stored, wanted;
  ioAction.psn.GetPrintableId(wanted, 1);
  if (KRVWD7UtiPrdServices::GetProperty(product, "BBPrintableId", stored) != 0 ||
      stored != wanted) {
    rc = WriteIdentity(product, ioAction.psn);
    if (FAILED(rc)) return rc;
  }
  if (pair_.bb.flatten) {
    CATMathTransformation position;
    if (!PsnPosition(ioAction.psn, position)) return E_FAIL;
    rc = KRVWD7UtiPrdServices::CopyPosition(product, position);
  }
  return FAILED(rc) ? rc : S_OK;
}

HRESULT SyncPlan::ApplyOne(size_t iIndex) {
  SyncAction& ioAction = actions_[iIndex];
  switch (ioAction.kind) {
    case SyncAction::Kind::kAdd: {
      CATBaseUnknown_var added;
      HRESULT rc = KRVWD7CoreServices::AddProductFromPSNtoBB(ioAction.psn, pair_.psnRoot,
                                                             pair_.node, added, 0);
      if (FAILED(rc)) return rc;
      added_[iIndex] = added;
      if (rc == S_OK && added && IsAssemblyType(NodeTypeOf(ioAction.psn)) &&
          !pair_.bb.flatten) {
        rc = KRVWD7CoreServices::UpdateBBNodeFromPSN(added, ProductOf(ioAction.psn), 1);
        if (FAILED(rc)) return rc;
      }
      return S_OK;
    }
    case SyncAction::Kind::kRemove:
      return KRVWD7UtiPrdCCPServices::Delete(Current(ioAction.bb));
    case SyncAction::Kind::kUpdateLeaf:
    case SyncAction::Kind::kUpdateNode:
      return ApplyUpdate(ioAction);
    case SyncAction::Kind::kIdentity:
      return WriteIdentity(Current(ioAction.bb), ioAction.psn);
    case SyncAction::Kind::kPositionFromPsn: {
      if (!pair_.bb.flatten) {
        return KRVWD7UtiPrdServices::CopyPosition(Current(ioAction.bb), ProductOf(ioAction.psn));
      }
      CATMathTransformation position;
      if (!PsnPosition(ioAction.psn, position)) return E_FAIL;
      return KRVWD7UtiPrdServices::CopyPosition(Current(ioAction.bb), position);
    }
    case SyncAction::Kind::kPositionToPsn:
      return S_OK;  // one call for all of them, after the others
  }
  return E_FAIL;
}

// UpdatePosition compares again and copies every position difference
// left. "ErrId1" (no difference at all) means there was nothing left to
// carry: the other actions took those products' positions from the PSN.
HRESULT SyncPlan::ApplyPositionsToPsn(KRVIWD7BlackBoxServices& iServices) {
  CATError::ClearLastError();
  const HRESULT rc = iServices.UpdatePosition(pair_.psnRoot, pair_.bbRoot);
  const CATError* error = CATError::LastError();
  if (FAILED(rc) && error != nullptr && error->GetMsgId().ToStdString() == "ErrId1") {
    CATError::ClearLastError();
    return S_OK;
  }
  if (FAILED(rc)) to_psn_error_ = ErrorText(rc);
  CATError::ClearLastError();
  return FAILED(rc) ? rc : S_OK;
}

int SyncPlan::Apply(KRVIWD7BlackBoxServices& iServices) {
  auto finish = [](SyncAction& ioAction, HRESULT iRc) {
    ioAction.applied = true;
    ioAction.rc = FAILED(iRc) ? iRc : S_OK;
    if (FAILED(iRc)) ioAction.error = ErrorText(iRc);
    CATError::ClearLastError();
  };
  bool to_psn = false;
  for (size_t i = 0; i < actions_.size(); ++i) {
    if (actions_[i].kind == SyncAction::Kind::kPositionToPsn) {
      to_psn = true;
      continue;
    }
    CATError::ClearLastError();
    finish(actions_[i], ApplyOne(i));
  }
  if (to_psn) {
    const HRESULT rc = ApplyPositionsToPsn(iServices);
    for (SyncAction& action : actions_) {
      if (action.kind != SyncAction::Kind::kPositionToPsn) continue;
      action.applied = true;
      action.rc = rc;
      action.error = to_psn_error_;
    }
  }
  // Second pass: the leaves added to a flattened black box, at the position
  // the comparison measures.
  for (size_t i = 0; i < actions_.size(); ++i) {
    SyncAction& action = actions_[i];
    if (!action.secondPass || FAILED(action.rc) || !added_[i]) continue;
    CATError::ClearLastError();
    CATMathTransformation position;
    const HRESULT rc = PsnPosition(action.psn, position)
                           ? KRVWD7UtiPrdServices::CopyPosition(added_[i], position)
                           : E_FAIL;
    finish(action, rc);
  }
  return static_cast<int>(std::count_if(actions_.begin(), actions_.end(),
                                        [](const SyncAction& a) { return FAILED(a.rc); }));
}

// --- What remains ----------------------------------------------------------------------

std::vector<SyncRemaining> SyncPlan::Remaining(const Comparison& iAfter) const {
  // Actions by the printable id of the product they were meant for.
  std::unordered_map<std::string, std::vector<int>> by_psn, by_bb;
  for (size_t i = 0; i < actions_.size(); ++i) {
    const SyncAction& action = actions_[i];
    if (action.kind == SyncAction::Kind::kRemove) {
      by_bb[PrintableIdOf(action.bb)].push_back(static_cast<int>(i));
    } else {
      by_psn[PrintableIdOf(action.psn)].push_back(static_cast<int>(i));
    }
  }
  auto pick = [this](const std::unordered_map<std::string, std::vector<int>>& iMap,
                     const std::string& iId, const std::string& iType) {
    auto found = iMap.find(iId);
    if (found == iMap.end()) return -1;
    for (int index : found->second) {
      if (actions_[index].difference == iType) return index;
    }
    return found->second.front();
  };
  std::vector<SyncRemaining> remaining;
  for (int k = 1; k <= iAfter.types.Size(); ++k) {
    SyncRemaining entry;
    entry.difference = iAfter.types[k].ToStdString();
    const KRVWD7PrdInfo& bb = iAfter.bbEntries[k];
    entry.product = FormatProduct(ProductOf(bb));
    if (entry.product.empty()) entry.product = PathOf(bb);
    entry.partNumber = PartNumberOf(bb);
    if (entry.difference == "REMOVED") {
      entry.action = pick(by_bb, PrintableIdOf(bb), entry.difference);
    } else {
      entry.action = pick(by_psn, PrintableIdOf(iAfter.psnEntries[k]), entry.difference);
      if (entry.action < 0) entry.action = pick(by_bb, PrintableIdOf(bb), entry.difference);
    }
    remaining.push_back(entry);
  }
  for (int k = 1; k <= iAfter.added.Size(); ++k) {
    SyncRemaining entry;
    entry.difference = "ADDED";
    const KRVWD7PrdInfo& psn = iAfter.added[k];
    entry.product = FormatProduct(ProductOf(psn));
    if (entry.product.empty()) entry.product = PathOf(psn);
    entry.partNumber = PartNumberOf(psn);
    entry.action = pick(by_psn, PrintableIdOf(psn), entry.difference);
    remaining.push_back(entry);
  }
  return remaining;
}

}  // namespace krvwd7
