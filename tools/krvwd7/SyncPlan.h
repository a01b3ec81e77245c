// The plan of krvwd7 sync: what brings a black box up to date from its PSN,
// one action per difference entry and per added PSN product of a
// comparison (Comparison.h), each carried out through the library's
// operations (KRVWD7CoreServices), the maker's toolbox and the host's
// product interfaces only.
//
// The plan is in this order, and is applied in it:
//  1. added PSN products, fathers before children (the comparison's order):
//     AddProductFromPSNtoBB with its chain of intermediate products; a new
//     assembly then takes its reference's properties (UpdateBBNodeFromPSN),
//     which the add does not copy;
//  2. "REMOVED": the black-box product is deleted (toolbox Delete), the
//     deepest first, so that a product is deleted before its father and
//     none twice;
//  3. "VERSION", "REVISION", "VERSION/REVISION", "ALTCUSTO", "REPLACE":
//     UpdateBBLeafFromPSN for a leaf (node types 4, 5, 9), with the leaf
//     replaced by an instance of the PSN leaf's reference unless both are
//     models; UpdateBBNodeFromPSN with reference properties for an assembly
//     node, and the PSN part number for a replaced one (CopyPartNumber);
//     then the identity (SetPrintableIdParameterOnNode) when the product
//     does not carry the PSN product's printable id afterwards;
//  4. "IDCHANGE": the identity only;
//  5. "POSITION": from the PSN (the default), the PSN product's position
//     onto the black-box product (toolbox CopyPosition; in a flattened
//     black box its position relative to the PSN root, through
//     CATIMovable); or to the PSN: one call of the services' UpdatePosition
//     after every other action, for all of them.
// In a flattened black box the comparison measures PSN positions from the
// PSN root, so two steps are added: an updated product is placed at that
// position after its update, and the leaves that step 1 added (pasted with
// their position in their PSN father) are placed there in a second pass,
// after every other action.
//
// An action that fails keeps its result and the catalog error the services
// raised; the others go on. Actions after a failed one work on what is
// there: a black-box product replaced by an earlier action is followed to
// its replacement.
#ifndef KRVWD7_TOOL_SYNCPLAN_H_
#define KRVWD7_TOOL_SYNCPLAN_H_

#include <map>
#include <string>
#include <vector>

#include "CATBaseUnknown.h"
#include "Comparison.h"
#include "KRVIWD7BlackBoxServices.h"
#include "KRVWD7PrdInfo.h"
#include "Structures.h"

namespace krvwd7 {

// What the plan works on.
struct SyncPair {
  CATBaseUnknown_var bbRoot;
  CATBaseUnknown_var node;  // the black-box node that stands for the PSN root
  CATBaseUnknown_var psnRoot;
  BlackBoxAttributes bb;
  bool positionsToPsn = false;  // --positions to-psn
};

struct SyncAction {
  enum class Kind {
    kAdd,           // AddProductFromPSNtoBB
    kRemove,        // toolbox Delete
    kUpdateLeaf,    // UpdateBBLeafFromPSN, then the identity
    kUpdateNode,    // UpdateBBNodeFromPSN, then the identity
    kIdentity,      // SetPrintableIdParameterOnNode
    kPositionFromPsn,
    kPositionToPsn  // the services' UpdatePosition, once for all
  };
  Kind kind = Kind::kAdd;
  std::string difference;  // "ADDED" or the entry's type
  int entry = 0;           // 1-based entry of the comparison; 0 for an added product
  KRVWD7PrdInfo bb;        // the black-box record (empty for an added product)
  KRVWD7PrdInfo psn;       // the PSN record (the black-box one for "REMOVED")
  std::string group;       // the highest sub-assembly it touches
  std::string product;     // DOC:PATH of the product acted on
  std::string partNumber;
  std::string what;        // what the action does, in a few words
  bool secondPass = false; // an added leaf placed again in the second pass

  // Filled when the plan is applied.
  bool applied = false;
  HRESULT rc = S_OK;   // the first failing operation's result, else S_OK
  std::string error;   // its catalog key and text, or the result code
};

// A difference that remains after the plan was applied.
struct SyncRemaining {
  std::string difference;  // the entry's type, or "ADDED"
  std::string product;     // DOC:PATH of the black-box product, or the PSN one
  std::string partNumber;
  int action = -1;         // index of the action that did not remove it; -1: none
};

class SyncPlan {
 public:
  // The plan for the comparison iDiff of iPair.
  SyncPlan(const SyncPair& iPair, const Comparison& iDiff);

  const std::vector<SyncAction>& Actions() const { return actions_; }
  // Number of actions of the second pass.
  int SecondPassCount() const;

  // Carries out every action in order, then the second pass. iServices
  // runs UpdatePosition for --positions to-psn. Returns the number of
  // actions that failed.
  int Apply(KRVIWD7BlackBoxServices& iServices);

  // The differences of iAfter (a comparison made after Apply), each with
  // the action that was meant to remove it.
  std::vector<SyncRemaining> Remaining(const Comparison& iAfter) const;

 private:
  void AddAction(SyncAction iAction);
  std::string GroupOf(const KRVWD7PrdInfo& iRecord, bool iPsnSide) const;
  // The black-box product of iRecord now (followed to its replacement).
  CATBaseUnknown_var Current(const KRVWD7PrdInfo& iRecord) const;
  // The position of the PSN product of iRecord as the comparison measures
  // it: relative to the PSN root in a flattened black box, else in its
  // father. False when it cannot be read.
  bool PsnPosition(const KRVWD7PrdInfo& iRecord, CATMathTransformation& oPosition) const;
  // Carries out action iIndex (not the to-PSN positions, one call for all).
  HRESULT ApplyOne(size_t iIndex);
  HRESULT ApplyUpdate(SyncAction& ioAction);
  HRESULT ApplyPositionsToPsn(KRVIWD7BlackBoxServices& iServices);
  HRESULT WriteIdentity(const CATBaseUnknown_var& iProduct, const KRVWD7PrdInfo& iPsn);

  SyncPair pair_;
  std::vector<SyncAction> actions_;
  int node_depth_ = 0;
  std::string psn_root_name_;  // path components from the black-box root to its PSN node
  std::vector<CATBaseUnknown_var> added_;  // per action: the product an add made
  std::map<CATBaseUnknown*, CATBaseUnknown_var> replaced_;  // old leaf -> its replacement
  std::string to_psn_error_;
};

}  // namespace krvwd7

#endif  // KRVWD7_TOOL_SYNCPLAN_H_
