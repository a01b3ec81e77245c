// The product interface of the host's assembly structure.
//
// A product is either a reference (the definition: part number and
// attributes, children) or an instance of a reference placed in a father.
// The root product of a document is a reference. Every product answers
// CATIProduct; handles to it are made by casting any product handle.
#ifndef KRVWD7_HOST_CATIPRODUCT_H_
#define KRVWD7_HOST_CATIPRODUCT_H_

#include "CATBaseUnknown.h"
#include "CATUnicodeString.h"

class CATIProduct;
typedef CATHandle<CATIProduct> CATIProduct_var;

extern const IID IID_CATIProduct;

class CATIProduct : public virtual CATBaseUnknown {
 public:
  static const IID& ClassId() { return IID_CATIProduct; }

  // S_OK on a reference product, E_FAIL on an instance.
  virtual HRESULT IsReference() const = 0;
  // The reference product of an instance; a reference answers itself.
  virtual CATIProduct_var GetReferenceProduct() = 0;
  // The product above this one: for an instance the occurrence that holds
  // it (or the document's root product); empty at the top of a structure.
  virtual CATIProduct_var GetFatherProduct() = 0;
  // The shape representation named iName (for instance "Default"). iStatus
  // is passed in as 0, iFlag1 and iFlag2 as 1 and 0. On success oRep holds
  // an object answering CATILinkableObject (its document); S_FALSE and an
  // empty oRep when the product has no such representation.
  virtual HRESULT GetShapeRep(CATBaseUnknown_var& oRep,
                              const CATUnicodeString& iName, int iStatus,
                              int iFlag1, int iFlag2) = 0;
  // A short text that describes the component for people ("Bolt.1 (P-100)").
  virtual CATUnicodeString GetDescriptiveText() = 0;
};

#endif  // KRVWD7_HOST_CATIPRODUCT_H_
