// The maker's product services: attributes, properties, parameters,
// positions, children and structure edits of host products.
//
// A product is any handle to a host product (instance or reference). Unless
// said otherwise an operation returns S_OK on success, E_INVALIDARG for an
// empty handle, an empty name or an unknown mode, and E_FAIL when the object
// is not a product of the session or the host refuses the change.
//
// Every operation first asks MemFaults for a fault of its own name on the
// product ("GetProperty", ...) and answers the fault's result instead, its
// outputs cleared; a GetParameter fault with result 0 answers "found" with
// an empty parameter. With no fault declared that costs one test.
//
// Which product carries what (the session's model): part number, revision,
// definition, nomenclature, description, user properties and parameters
// belong to the reference and are read through an instance; the instance
// name, the position and the text properties belong to the product itself
// (the instance, or a root reference).
#ifndef KRVWD7_HOST_KRVWD7UTIPRDSERVICES_H_
#define KRVWD7_HOST_KRVWD7UTIPRDSERVICES_H_

#include "CATBaseUnknown.h"
#include "CATICkeParm.h"
#include "CATListValCATBaseUnknown_var.h"
#include "CATMathTransformation.h"
#include "CATUnicodeString.h"

class KRVWD7UtiPrdServices {
 public:
  // Text properties of a product. GetProperty: 0 found (value set), 1 no
  // such property (value ""), negative on failure. SetProperty writes an
  // existing property (E_FAIL when absent); CreateProperty creates one
  // (E_FAIL when it exists).
  static HRESULT GetProperty(const CATBaseUnknown_var& iProduct,
                             const CATUnicodeString& iName,
                             CATUnicodeString& oValue);
  static HRESULT SetProperty(const CATBaseUnknown_var& iProduct,
                             const CATUnicodeString& iName,
                             const CATUnicodeString& iValue);
  static HRESULT CreateProperty(const CATBaseUnknown_var& iProduct,
                                const CATUnicodeString& iName,
                                const CATUnicodeString& iValue);

  // Text knowledge parameters of the reference of a product. GetParameter:
  // 0 found (oParm set, and oValue when given), 1 absent. CreateParameter
  // creates one holding iValue (E_FAIL when it exists).
  static HRESULT GetParameter(const CATBaseUnknown_var& iProduct,
                              const CATUnicodeString& iName,
                              CATICkeParm_var& oParm,
                              CATUnicodeString* oValue = nullptr);
  static HRESULT CreateParameter(const CATBaseUnknown_var& iProduct,
                                 const CATUnicodeString& iName,
                                 const CATUnicodeString& iValue,
                                 CATICkeParm_var& oParm);

  // A user property of the reference: S_OK with the value, S_FALSE and ""
  // when absent.
  static HRESULT GetPrdProperty(const CATBaseUnknown_var& iProduct,
                                const CATUnicodeString& iName,
                                CATUnicodeString& oValue);

  // Attributes (of the reference).
  static HRESULT GetPartNumber(const CATBaseUnknown_var& iProduct,
                               CATUnicodeString& oPartNumber);
  // S_FALSE, the number unchanged, when another reference of the same
  // document already carries iPartNumber: part numbers stay unique per
  // document (a black box and its PSN carry the same numbers).
  static HRESULT SetPartNumber(const CATBaseUnknown_var& iProduct,
                               const CATUnicodeString& iPartNumber);
  static HRESULT GetRevision(const CATBaseUnknown_var& iProduct,
                             CATUnicodeString& oValue);
  static HRESULT GetDefinition(const CATBaseUnknown_var& iProduct,
                               CATUnicodeString& oValue);
  static HRESULT GetNomenclature(const CATBaseUnknown_var& iProduct,
                                 CATUnicodeString& oValue);
  static HRESULT GetDescriptionRef(const CATBaseUnknown_var& iProduct,
                                   CATUnicodeString& oValue);
  // The instance name; for a root (or a reference alone) the name a user
  // sees at the top of its tree: the name the session gives it, else its
  // part number.
  static HRESULT GetInstanceName(const CATBaseUnknown_var& iProduct,
                                 CATUnicodeString& oName);
  // The names from iRoot down to iProduct joined by "/": iRoot's name first
  // (as GetInstanceName gives it), then the instance name of each product
  // below it, so "BB-CAR/CAR.1/Axle.1" for Axle.1 under the root BB-CAR.
  // For iRoot itself, its name alone: a path of one component, whose last
  // component is the product's name like every other path. E_FAIL when
  // iProduct is not below iRoot.
  static HRESULT GetInstancePath(const CATBaseUnknown_var& iProduct,
                                 const CATBaseUnknown_var& iRoot,
                                 CATUnicodeString& oPath);

  // Position in the father (identity for a root).
  static HRESULT GetPosition(const CATBaseUnknown_var& iProduct,
                             CATMathTransformation& oPosition);
  // Gives iTarget the position in its father that iSource has in its own
  // (the identity for a root source), or iPosition. E_FAIL when iTarget is a
  // root or a reference: it has no father to be placed in.
  static HRESULT CopyPosition(const CATBaseUnknown_var& iTarget,
                              const CATBaseUnknown_var& iSource);
  static HRESULT CopyPosition(const CATBaseUnknown_var& iTarget,
                              const CATMathTransformation& iPosition);
  // Non-zero when every coefficient of the two positions agrees within
  // iTolerance.
  static int IsSimilarPosition(const CATMathTransformation& iFirst,
                               const CATMathTransformation& iSecond,
                               double iTolerance);

  // Node type code 0 to 9 (see KRVWD7PrdInfo for the names; 9 is a further
  // leaf kind): the code the session gives the product, or one derived from
  // the structure.
  static HRESULT GetNodeType(const CATBaseUnknown_var& iProduct, int& oType);

  // Children. The list is allocated here and deleted by the caller; it is
  // null when the product has no child at all, and empty when it has
  // children but the mode lists none of them. iInterface must be "CATIProduct". Mode 0:
  // every product; mode 2: products already loaded only (a product that the
  // session marks as not loaded is left out with everything below it until
  // SwitchToProductMode loads it; in mode 2 a product that is itself not
  // loaded, or below one that is not, lists nothing). GetChildren gives the
  // direct children, GetAllChildren every product below (not iProduct
  // itself), depth first, fathers before their children, children in their
  // order; one walk, O(n).
  static HRESULT GetChildren(const CATBaseUnknown_var& iProduct,
                             CATListValCATBaseUnknown_var*& oChildren,
                             const char* iInterface, int iMode);
  static HRESULT GetAllChildren(const CATBaseUnknown_var& iProduct,
                                CATListValCATBaseUnknown_var*& oChildren,
                                const char* iInterface, int iMode);

  // The direct children of iProduct (every product below it with
  // iRecursive) whose text property iName is iValue: the list of
  // GetChildren (GetAllChildren) in mode 0 with the other products left
  // out, in the same order, and null as there when iProduct has no child at
  // all. One call compares the values in place, without handing out each
  // child's. E_INVALIDARG for an empty handle or name.
  static HRESULT GetChildrenWithProperty(const CATBaseUnknown_var& iProduct,
                                         const CATUnicodeString& iName,
                                         const CATUnicodeString& iValue,
                                         int iRecursive,
                                         CATListValCATBaseUnknown_var*& oChildren);

  // The products below iProduct whose part number is iPartNumber (iMatch
  // 0) or begins with it (iMatch 1): the list of GetAllChildren in mode 0
  // with the other products left out, in the same order, and null as there
  // when iProduct has no child at all. The session's index of part numbers
  // finds them without visiting the other products: O(log n + m * depth)
  // for the m products of the session numbered so. E_INVALIDARG for an
  // empty handle or another iMatch.
  static HRESULT GetAllChildrenByPartNumber(const CATBaseUnknown_var& iProduct,
                                            const CATUnicodeString& iPartNumber,
                                            int iMatch,
                                            CATListValCATBaseUnknown_var*& oChildren);

  // Searches below iRoot for an instance whose part number (iKind 0) or
  // instance path from iRoot (iKind 1) is iText. iDirectOnly non-zero looks
  // at the direct children only (a path of one name). By part number the
  // first match in GetAllChildren order (mode 0) wins, O(n); by path each
  // name is looked up in its father, O(depth). iRoot itself is never found.
  // 0 found, 1 not found, negative on failure (E_INVALIDARG for an empty
  // text or another iKind).
  static HRESULT FindInstance(const CATBaseUnknown_var& iRoot,
                              const CATUnicodeString& iText, int iKind,
                              CATBaseUnknown_var& oProduct, int iDirectOnly);

  // Creates below iFather an instance of a new empty component reference
  // named iName (the reference's part number is iName made unique in the
  // father's document). An empty iName gives an empty part number and the
  // instance name "Component.<n>", n the father's new number of children.
  // E_FAIL when the host refuses a child there (the father's reference has
  // several instances).
  static HRESULT AddNewComponent(const CATBaseUnknown_var& iFather,
                                 const CATUnicodeString& iName,
                                 CATBaseUnknown_var& oComponent);

  // Copy the named kind of properties from iSource to iTarget: graphic
  // properties (colour and show state); the instance's text properties and
  // its instance name (between instances only); the reference's revision,
  // definition, nomenclature, description, user properties and parameters
  // (never the part number, which stays unique). iFlag false copies nothing
  // for the reference properties, and for the instance properties only the
  // names the target lacks (and the name when the target's is empty).
  static HRESULT CopyGraphicProperties(const CATBaseUnknown_var& iTarget,
                                       const CATBaseUnknown_var& iSource);
  static HRESULT CopyPropertiesOfInstanceProduct(
      const CATBaseUnknown_var& iTarget, const CATBaseUnknown_var& iSource,
      CATBoolean iFlag);
  static HRESULT CopyPropertiesOfReferenceProduct(
      const CATBaseUnknown_var& iTarget, const CATBaseUnknown_var& iSource,
      CATBoolean iFlag);

  // Representation modes; product mode also loads a product that the
  // session marks as not loaded, and everything below it.
  static HRESULT SwitchToProductMode(const CATBaseUnknown_var& iProduct);
  static HRESULT SwitchToDesignMode(const CATBaseUnknown_var& iProduct);
  static HRESULT SwitchToVisuMode(const CATBaseUnknown_var& iProduct);
};

#endif  // KRVWD7_HOST_KRVWD7UTIPRDSERVICES_H_
