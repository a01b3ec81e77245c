// UpdatePosition: carries the positions of black-box products that differ
// from their PSN counterparts over to the PSN products.
//
// The two structures are compared the way the up-to-date check compares
// them; every "POSITION" entry then copies the black-box position onto the
// PSN product, unless that product also differs in another way (the black
// box must be updated first: "ErrId4"). In a flattened black box the
// position copied is the product's position relative to the black box,
// which must agree with the one its record holds ("ErrId3"). Errors use
// the catalog "KRVWD7UpdatePosition"; positions copied before an error
// stay copied. No trace of its own: the comparison traces its steps.
#include <unordered_set>
#include <vector>

#include "CATIMovable.h"
#include "CATListValCATUnicodeString.h"
#include "CATListValKRVWD7PrdInfo.h"
#include "CATMathTransformation.h"
#include "KRVEWD7BlackBoxServices.h"
#include "KRVIWD7BlackBox.h"
#include "KRVWD7CoreInternal.h"
#include "KRVWD7CoreServices.h"
#include "KRVWD7PrdInfo.h"
#include "KRVWD7PrdInfoListServices.h"
#include "KRVWD7UtiPrdServices.h"

using krvwd7_core::RaiseError;

namespace {

const char kCatalog[] = "KRVWD7UpdatePosition";
constexpr double kTolerance = 0.001;

// The outputs of one comparison.
struct Differences {
  CATListValKRVWD7PrdInfo inBB, inPSN, added;
  CATListValCATUnicodeString types;
  int count = 0;
};

// The flatten flag of iBlackBox; false without the black-box interface or
// when it cannot be read.
bool IsFlatten(const KRVIWD7BlackBox_var& iBlackBox) {
  if (!iBlackBox) return false;
  CATBoolean flatten = 0;
  if (FAILED(iBlackBox->GetIsFlatten(flatten))) return false;
  return flatten != 0;
}

// The printable ids of the black-box records of every entry that is neither
// a position nor an identity change, and the entries that are positions
// (1-based, in order). A set: a position entry looks its product up once.
void SortEntries(const Differences& iDiff, std::vector<int>& oPositions,
                 std::unordered_set<CATUnicodeString>& oOtherwiseChanged) {
  for (int k = 1; k <= iDiff.types.Size(); ++k) {
    const CATUnicodeString& type = iDiff.types[k];
    if (type == "POSITION") {
      oPositions.push_back(k);
    } else if (type != "IDCHANGE") {
      CATUnicodeString id;
      iDiff.inBB[k].GetPrintableId(id, 0);
      if (id.GetLengthInChar() > 0) oOtherwiseChanged.insert(id);
    }
  }
}

// Copies onto iPSNProduct the position of iBBProduct relative to iBlackBox,
// which must be similar to iRecorded. False with oMismatch when it is not;
// false without it when nothing was copied for another reason.
bool CopyRelativePosition(const CATBaseUnknown_var& iBlackBox,
                          const CATBaseUnknown_var& iBBProduct,
                          const CATBaseUnknown_var& iPSNProduct,
                          const CATMathTransformation& iRecorded,
                          bool& oMismatch) {
  oMismatch = false;
  const CATIMovable_var bb_movable(iBBProduct);
  const CATIMovable_var psn_movable(iPSNProduct);
  if (!bb_movable || !psn_movable) return false;
  CATMathTransformation relative;
  bb_movable->GetPosition(relative, CATIMovable_var(iBlackBox), 0, 1);
  if (!KRVWD7UtiPrdServices::IsSimilarPosition(relative, iRecorded,
                                               kTolerance)) {
    oMismatch = true;
    return false;
  }
  return SUCCEEDED(KRVWD7UtiPrdServices::CopyPosition(iPSNProduct, relative));
}

}  // namespace

HRESULT KRVEWD7BlackBoxServices::UpdatePosition(
    const CATBaseUnknown_var& iPSNRoot, const CATBaseUnknown_var& iBlackBox) {
  if (!iPSNRoot || !iBlackBox) return E_INVALIDARG;
  KRVWD7CoreServices::SwitchToProductMode(iPSNRoot);
  KRVWD7CoreServices::SwitchToProductMode(iBlackBox);

  // The two record lists, the black box's from the node of its PSN root
  // with paths counted from the black box.
  const KRVIWD7BlackBox_var black_box(iBlackBox);
  int type = 0;
  CATUnicodeString psn_part_number;
  const CATBaseUnknown_var psn_node =
      krvwd7_core::PSNNodeOf(iBlackBox, black_box, type, psn_part_number);
  CATListValKRVWD7PrdInfo psn_list;
  CATListValKRVWD7PrdInfo bb_list;
  KRVWD7PrdInfoListServices::BuildPrdInfoList(iPSNRoot, psn_list, 0,
                                              CATBaseUnknown_var(), nullptr);
  KRVWD7PrdInfoListServices::BuildPrdInfoList(psn_node, bb_list, 1, iBlackBox,
                                              nullptr);

  Differences diff;
  const HRESULT compared = KRVWD7PrdInfoListServices::RetrieveDifferences(
      iPSNRoot, bb_list, psn_list, diff.inBB, diff.inPSN, diff.added,
      diff.types, diff.count, type, IsFlatten(black_box) ? 1 : 0);
  if (FAILED(compared)) return E_FAIL;
  if (diff.count < 1) return RaiseError("ErrId1", kCatalog);

  std::vector<int> positions;
  std::unordered_set<CATUnicodeString> otherwise_changed;
  SortEntries(diff, positions, otherwise_changed);

  size_t copied = 0;
  for (int k : positions) {
    const KRVWD7PrdInfo& bb_record = diff.inBB[k];
    CATUnicodeString id;
    bb_record.GetPrintableId(id, 0);
    if (otherwise_changed.count(id) != 0) return RaiseError("ErrId4", kCatalog);

    CATBaseUnknown_var bb_product;
    CATMathTransformation bb_position;
    const HRESULT has_bb_product = bb_record.GetProduct(bb_product);
    bb_record.GetPosition(bb_position);
    CATBaseUnknown_var psn_product;
    diff.inPSN[k].GetProduct(psn_product);
    if (!psn_product) continue;

    if (IsFlatten(black_box)) {
      bool mismatch = false;
      if (CopyRelativePosition(iBlackBox, bb_product, psn_product,
                               bb_position, mismatch)) {
        ++copied;
      } else if (mismatch) {
        return RaiseError("ErrId3", kCatalog);
      }
    } else if (SUCCEEDED(has_bb_product) && bb_product &&
               SUCCEEDED(KRVWD7UtiPrdServices::CopyPosition(psn_product,
                                                            bb_product))) {
      ++copied;
    }
  }
  return copied > 0 && copied == positions.size() ? S_OK : 1;
}
