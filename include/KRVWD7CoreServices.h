// KRVWD7CoreServices: static services on black boxes.
//
// Three groups, one source each:
//  - checks done before a black box is changed (does a document come from
//    VPM, is a product a black box, does it lie inside a nested black box),
//    the switch of a structure to product mode, and the look-up of the open
//    PSN document of a black box (KRVWD7CoreServices.cpp);
//  - giving a black-box node the identity of the PSN product it stands for:
//    the properties "BBPrintableId" and "BBVpmEnv", the part number, the
//    properties and the position (KRVWD7CoreServicesIdentity.cpp);
//  - adding a PSN product at its place in the black box, with the chain of
//    intermediate products above it (KRVWD7CoreServicesAdd.cpp).
// The class is never instantiated and keeps nothing between calls.
//
// Results: S_OK (0) on success, S_FALSE (1) where an operation says so,
// E_FAIL (0x80004005) when the thing looked for is not there or the host
// refuses, E_INVALIDARG (0x80070057) for an empty handle; each operation
// says which applies. Outputs are cleared before any check. Nothing that an
// operation created is removed when a later step fails. Runs on the host's
// user-interface thread only.
#ifndef KRVWD7_INCLUDE_KRVWD7CORESERVICES_H_
#define KRVWD7_INCLUDE_KRVWD7CORESERVICES_H_

#include "CATBaseUnknown.h"
#include "CATListValCATBaseUnknown_var.h"
#include "CATUnicodeString.h"

class CATDocument;
class CATMetaClass;
class KRVWD7PrdInfo;

class KRVWD7CoreServices : public CATBaseUnknown {
 public:
  ~KRVWD7CoreServices() override;

  // 0 when iDocument may be worked on: always when KRV_WD7_FILE_BASED is
  // "MODE4_ON_A_FILEBASE", otherwise when it is a PDM (VPM) document.
  // E_FAIL for any other document.
  static HRESULT CheckVPMDocument(CATDocument& iDocument);

  // oIsBlackBox := whether iProduct is a black box. E_INVALIDARG for an
  // empty handle, E_FAIL when the object has no black-box interface,
  // otherwise the black-box test's result (the flag is cleared when that is
  // negative).
  static HRESULT CheckIsBlackBox(const CATBaseUnknown_var& iProduct,
                                 CATBoolean& oIsBlackBox);

  // True when a product strictly between iProduct and iRoot on the father
  // chain, iProduct included, is a black box; false when iProduct is itself
  // a black box, when it is not a product, or when the walk reaches iRoot
  // (never tested) or the top first. An empty iRoot walks to the top.
  static CATBoolean CheckIsInsideSubBB(const CATBaseUnknown_var& iProduct,
                                       const CATBaseUnknown_var& iRoot);

  // Brings the structure below iProduct into product mode, with a progress
  // bar in interactive sessions and a timing trace. The toolbox's result;
  // E_INVALIDARG for an empty handle.
  static HRESULT SwitchToProductMode(const CATBaseUnknown_var& iProduct);

  // The open product document, other than iBlackBox's own, whose root's
  // VPM printable id is iBlackBox's PSN printable id (the first such in
  // session order). oDocument is borrowed from the session. 0 found, E_FAIL
  // none (also when iBlackBox has no PSN printable id or the documents
  // cannot be listed), E_INVALIDARG for an empty handle.
  static HRESULT RetrieveAssociatedPSNDoc(const CATBaseUnknown_var& iBlackBox,
                                          CATDocument*& oDocument);

  // The node of the black box iBlackBoxRoot that stands for its PSN root:
  // iBlackBoxRoot itself for a black box of type 1, the instance of its PSN
  // part number below it for type 2 (the services locate it the same way).
  // oType is the black box's type (0 when it cannot be read). 0 found,
  // E_FAIL when there is no such node (not a black box, another type, the
  // instance missing), E_INVALIDARG for an empty handle.
  static HRESULT RetrievePSNNode(const CATBaseUnknown_var& iBlackBoxRoot,
                                 CATBaseUnknown_var& oNode, int& oType);

  // --- Node identity (KRVWD7CoreServicesIdentity.cpp) --------------------

  // Writes "BBPrintableId" = iPrintableId on iNode, and "BBVpmEnv" =
  // iVpmEnv unless iVpmEnv is "Unchanged"; each property is set when it
  // exists and created when absent. E_INVALIDARG for an empty node; E_FAIL
  // when "BBPrintableId" cannot be read (a negative answer); a failed write
  // of "BBPrintableId" is returned as is. The write of "BBVpmEnv" gives the
  // result when its property could be read; otherwise it is skipped.
  static HRESULT SetPrintableIdParameterOnNode(const CATBaseUnknown_var& iNode,
                                               const CATUnicodeString& iPrintableId,
                                               const CATUnicodeString& iVpmEnv);

  // Gives iTarget the part number of iSource. When the host keeps another
  // number (it refuses one that another reference of the same document
  // carries), iTarget gets pn + "_" + n instead, n counted over the products
  // below iTarget's root whose number begins with pn: +1 for pn itself, +1
  // for pn + "_" + a number not smaller than the count so far, in the order
  // of the structure ("A", "A_1" give "A_2"). 0 when iTarget carries pn or
  // its variant; 1 when the variant was refused too or the products could
  // not be listed; E_FAIL when a number cannot be read or set;
  // E_INVALIDARG for an empty handle.
  static HRESULT CopyPartNumber(const CATBaseUnknown_var& iSource,
                                const CATBaseUnknown_var& iTarget);

  // Copies onto the black-box node iBBNode the instance properties, the
  // reference properties (only with iRefProperties), the graphic
  // properties and the position of the PSN node iPSNNode, each whatever the
  // others gave; then, when VPM gives iPSNNode's printable id and
  // environment path, writes them as its identity (traced before and
  // after). 0 when the four copies succeeded, else E_FAIL (the identity
  // step never changes the result); E_INVALIDARG for an empty handle.
  static HRESULT UpdateBBNodeFromPSN(const CATBaseUnknown_var& iBBNode,
                                     const CATBaseUnknown_var& iPSNNode,
                                     CATBoolean iRefProperties);

  // Refreshes the black-box leaf iBBLeaf from the PSN leaf iPSNLeaf. Two
  // model instances (type 5) or two leaves of type 9: the leaf keeps its
  // place, its shape representation is exchanged for the PSN leaf's when
  // the files differ, then UpdateBBNodeFromPSN (with reference properties)
  // gives the result. Any other pair: the leaf is replaced in its father by
  // an instance of the PSN leaf's reference (every instance of its old
  // reference with iAllInstances), without property copy; the host's
  // result. E_FAIL when a product view fails; E_INVALIDARG for an empty
  // handle.
  static HRESULT UpdateBBLeafFromPSN(const CATBaseUnknown_var& iBBLeaf,
                                     const CATBaseUnknown_var& iPSNLeaf,
                                     CATBoolean iAllInstances);

  // --- Adding PSN products (KRVWD7CoreServicesAdd.cpp) ---------------------

  // Creates in the black box, below iBBTarget (its node that stands for
  // iPSNRoot), the product of iPSNProduct (a record filled relative to
  // iPSNRoot): first the chain of intermediate products between iPSNRoot
  // and it (existing nodes found by "BBPrintableId" are reused, missing ones
  // created as components; none in a flattened black box, where the
  // product goes directly below iBBTarget), then the product itself: a
  // component for an assembly (types 2, 3), a copy of the PSN leaf or of an
  // identical model already in the black box for a leaf (types 4, 5, 9).
  // The new product gets the record's printable id and environment.
  // iAllowReplaced also matches black-box nodes whose component link VPM
  // reports as replaced. oAdded: the new product (result 0) or the one
  // already there (result 1).
  // 0 added; 1 nothing to add (already there, a root, or an assembly in a
  // flattened black box); E_FAIL when the chain cannot be rebuilt, for a
  // record without product, of an unknown type or of a reference type (6 to
  // 8), and when the new product could not be given its identity (it stays
  // in the black box); E_INVALIDARG for an empty root or target.
  static HRESULT AddProductFromPSNtoBB(const KRVWD7PrdInfo& iPSNProduct,
                                       const CATBaseUnknown_var& iPSNRoot,
                                       const CATBaseUnknown_var& iBBTarget,
                                       CATBaseUnknown_var& oAdded,
                                       CATBoolean iAllowReplaced);

  // oList := the products below iRoot (in the order of the structure) whose
  // part number, version and revision equal the given texts and whose node
  // type is iNodeType; an empty text or a type 0 accepts any value, and a
  // product whose value cannot be read is left out. The caller deletes the
  // list. 0 with the list (possibly empty); E_FAIL, no list, when iRoot has
  // no child or its products cannot be listed; E_INVALIDARG for an empty
  // root.
  static HRESULT RetrieveSimilarInstances(const CATBaseUnknown_var& iRoot,
                                          const CATUnicodeString& iPartNumber,
                                          const CATUnicodeString& iVersion,
                                          const CATUnicodeString& iRevision,
                                          int iNodeType,
                                          CATListValCATBaseUnknown_var*& oList);

  // Writes the build version text (catalog "KRVWD7", key "BPCVersion") to
  // the standard output.
  static void DumpBPCVersion();

  // Class information. CreateItself answers null.
  static CATMetaClass* MetaObject();
  static const char* ClassName();
  static const IID& ClassId();
  static CATBaseUnknown* CreateItself();
  CATMetaClass* GetMetaObject() const override;
  const char* IsA() const override;
  int IsAKindOf(const char* iClassName) const override;

 private:
  friend class KRVWD7CoreServicesPeer;  // tests reach the private steps

  // oFather := the black-box node below which iPSNProduct goes: the chain
  // of PSN products between iPSNRoot and iPSNProduct is walked from the top
  // down from iBBStart, each found among the current node's children by
  // its printable id or created as a new component with its identity. 0
  // with the father; E_FAIL when a look-up fails or a component cannot be
  // made (the chain stops there, what was made stays); E_INVALIDARG for an
  // empty handle.
  static HRESULT BuildComponentsChain(const CATBaseUnknown_var& iPSNProduct,
                                      const CATBaseUnknown_var& iPSNRoot,
                                      const CATBaseUnknown_var& iBBStart,
                                      CATBaseUnknown_var& oFather,
                                      CATBoolean iAllowReplaced);

  // oFound := the first child of iBBFather (every product below it with
  // iRecursive) whose "BBPrintableId" is iPSNProduct's VPM printable id and
  // whose record (stored identity) fills without error; a child without
  // "BBPrintableId", or with an empty one, stands for no PSN product.
  // With iAllowReplaced, when none is, also a child whose id, its last
  // component link replaced by the link that VPM says replaces it, is. 0
  // found; 1 not found (also: no child); E_FAIL when the children cannot
  // be listed; E_INVALIDARG for an empty handle.
  static HRESULT FindInstanceInBB(const CATBaseUnknown_var& iBBFather,
                                  const CATBaseUnknown_var& iPSNProduct,
                                  CATBaseUnknown_var& oFound,
                                  CATBoolean iRecursive,
                                  CATBoolean iAllowReplaced);

  // oNew := a new component below iBBFather with iPSNNode's instance name,
  // properties, position, identity and part number. The result of
  // CopyPartNumber (0, or 1 when a varied number was refused); E_FAIL when
  // the component cannot be made or its copies fail (it stays);
  // E_INVALIDARG for an empty father.
  static HRESULT AddNewComponent(const CATBaseUnknown_var& iBBFather,
                                 const CATBaseUnknown_var& iPSNNode,
                                 CATBaseUnknown_var& oNew);

  // oNew := a copy of the PSN leaf iPSNLeaf below iBBFather: for a model
  // (type 5) a new instance of an identical model already in the black box
  // (same part number, version and revision) given the leaf's properties
  // and position; otherwise the PSN leaf pasted ("CATProdCont" for a part,
  // "CATSpecBreakLink", which gives the copy its own reference, for a model
  // or type 9). 0, E_FAIL, E_INVALIDARG for an empty handle or another type.
  static HRESULT AddLeaf(const CATBaseUnknown_var& iBBFather,
                         const CATBaseUnknown_var& iPSNLeaf, int iNodeType,
                         CATBaseUnknown_var& oNew);

  KRVWD7CoreServices();
  KRVWD7CoreServices(const KRVWD7CoreServices&) = delete;
  KRVWD7CoreServices& operator=(const KRVWD7CoreServices&) = delete;
};

#endif  // KRVWD7_INCLUDE_KRVWD7CORESERVICES_H_
