// KRVWD7PrdInfo: the description of one product of an assembly structure.
//
// A value record: where the product sits (instance path, position), what it
// is (part number, version, revision, node type), how VPM knows it
// (printable id, environment, document compid and display name), whether it
// is itself a black box, and a handle to the live host product. Records are
// made on the stack or by CATListValKRVWD7PrdInfo, copied by value and
// never reference-counted by their users; the product handle holds one
// reference on the host product for the record's lifetime.
//
// Identity and order (what lists rely on):
//  - two records are equal when both printable ids are non-empty and equal,
//    or when both are empty and the instance paths are equal; a record with
//    an id and one without are never equal;
//  - records are ordered by instance path alone, even when ids are set, so
//    a record can be both equal to another and less than it.
//
// Node-type codes: 0 Unknown, 1 RootProduct, 2 Component Instance,
// 3 Product Instance, 4 Part Instance, 5 Model Instance, 6 Product, 7 Part,
// 8 Model. RetrieveInfo keeps the toolbox's code as it comes, so a record
// can also hold 9, a further leaf kind; SetNodeType only accepts 0 to 8.
//
// Accessors return S_OK unless said otherwise; nothing throws.
#ifndef KRVWD7_INCLUDE_KRVWD7PRDINFO_H_
#define KRVWD7_INCLUDE_KRVWD7PRDINFO_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "CATBaseUnknown.h"
#include "CATMathTransformation.h"
#include "CATUnicodeString.h"
#include "KRVWD7UtiPackedPosition.h"

class CATMetaClass;

class KRVWD7PrdInfo : public CATBaseUnknown {
 public:
  // Every field at its default (see Init).
  KRVWD7PrdInfo();
  KRVWD7PrdInfo(const KRVWD7PrdInfo& iOther);
  // Takes iOther's texts and handle; iOther is left valid but unspecified
  // (Init() makes it a default record again).
  KRVWD7PrdInfo(KRVWD7PrdInfo&& iOther) noexcept;
  // Copies all twelve fields; the product handle is shared, not duplicated.
  // Assigning a record to itself does nothing.
  KRVWD7PrdInfo& operator=(const KRVWD7PrdInfo& iOther);
  ~KRVWD7PrdInfo() override;

  // Empty product handle, empty texts, identity position, node type 0,
  // black-box flag 0.
  void Init();

  // --- Fields ------------------------------------------------------------
  HRESULT GetProduct(CATBaseUnknown_var& oProduct) const;
  HRESULT SetProduct(const CATBaseUnknown_var& iProduct);

  // The instance path without its first iSkip components. iSkip <= 0 gives
  // the whole path. E_FAIL and "" when the path has fewer than iSkip "/".
  HRESULT GetInstancePath(CATUnicodeString& oPath, int iSkip) const;
  HRESULT SetInstancePath(const CATUnicodeString& iPath);
  // The path after its last "/" (the whole path when it has none).
  HRESULT GetInstanceName(CATUnicodeString& oName) const;

  HRESULT GetVersion(CATUnicodeString& oVersion) const;
  HRESULT SetVersion(const CATUnicodeString& iVersion);
  HRESULT GetRevision(CATUnicodeString& oRevision) const;
  HRESULT SetRevision(const CATUnicodeString& iRevision);
  // Set only by Init, copying and RetrieveInfo.
  HRESULT GetPartNumber(CATUnicodeString& oPartNumber) const;
  HRESULT GetPosition(CATMathTransformation& oPosition) const;
  HRESULT SetPosition(const CATMathTransformation& iPosition);

  HRESULT GetNodeType(int& oType) const;
  // E_INVALIDARG, and the field unchanged, for a code outside 0 to 8.
  HRESULT SetNodeType(int iType);

  HRESULT GetIsBlackBox(unsigned char& oIsBlackBox) const;
  HRESULT SetIsBlackBox(unsigned char iIsBlackBox);

  // iSelector (0 or 1 by callers) does not change the answer.
  HRESULT GetPrintableId(CATUnicodeString& oId, int iSelector) const;
  HRESULT SetPrintableId(CATUnicodeString iId);
  HRESULT GetPDMEnv(CATUnicodeString& oEnv) const;
  HRESULT SetPDMEnv(const CATUnicodeString& iEnv);
  HRESULT GetDocCompid(CATUnicodeString& oCompid) const;
  HRESULT SetDocCompid(const CATUnicodeString& iCompid);
  HRESULT GetDocDisplayName(CATUnicodeString& oName) const;
  HRESULT SetDocDisplayName(const CATUnicodeString& iName);

  // --- Reading from the host ----------------------------------------------
  // Fills the record for iProduct, its instance path counted from iRoot.
  // iFromStoredIdentity 1 takes the printable id and the VPM environment
  // from the properties "BBPrintableId" and "BBVpmEnv" stored on black-box
  // products; any other value asks VPM. A failed reading leaves its field at
  // the default and goes on. S_OK when every reading succeeded; E_FAIL when
  // one failed (the record is complete all the same); E_INVALIDARG for an
  // empty product or root (the record is then in its Init state).
  HRESULT RetrieveInfo(const CATBaseUnknown_var& iProduct,
                       const CATBaseUnknown_var& iRoot,
                       unsigned char iFromStoredIdentity);

  // The version (iSelector 0) or revision (1) of iProduct by the black-box
  // settings. E_INVALIDARG, oValue untouched, for an empty product or
  // another selector; otherwise oValue is cleared and the result is that of
  // the reading (E_FAIL when the settings cannot be read or name an
  // unsupported source).
  static HRESULT GetVersionOrRevision(const CATBaseUnknown_var& iProduct,
                                      int iSelector, CATUnicodeString& oValue);

  // The 16-character compid in the storage name of the document of
  // iProduct's "Default" shape representation. S_OK with it; S_FALSE and ""
  // when there is no such representation; E_FAIL when iProduct is not a
  // product or the representation has no document; E_INVALIDARG for empty.
  static HRESULT GetDocCompid(const CATBaseUnknown_var& iProduct,
                              CATUnicodeString& oCompid);
  // The display name of the document of iProduct's reference in its
  // document environment: the environment's result (0 or more) with the
  // name; S_FALSE and "" when any step finds nothing; E_INVALIDARG for empty.
  static HRESULT GetDocDisplayName(const CATBaseUnknown_var& iProduct,
                                   CATUnicodeString& oName);

  // The fields of the "CDMAorigin" attributes of iProduct's reference
  // (oCoid, oEnv, oTable) and of iProduct itself (oCoidFat, oLink, oEnvFat;
  // oTableFat is "PART_LIST"). 0 when the product's own attribute was read,
  // 1 otherwise; outputs of the reference stay filled when the product's own
  // part fails. A non-product gives 1 with the outputs untouched. Failures
  // are traced. The record's own fields are not used.
  HRESULT GetVPMInfo(CATBaseUnknown_var iProduct, CATUnicodeString& oCoid,
                     CATUnicodeString& oEnv, CATUnicodeString& oTable,
                     CATUnicodeString& oCoidFat, CATUnicodeString& oEnvFat,
                     CATUnicodeString& oTableFat,
                     CATUnicodeString& oLink) const;

  // --- Comparisons (1 true, 0 false) ----------------------------------------
  int operator==(const KRVWD7PrdInfo& iOther) const;
  int operator!=(const KRVWD7PrdInfo& iOther) const;
  int operator<=(const KRVWD7PrdInfo& iOther) const;
  int operator>=(const KRVWD7PrdInfo& iOther) const;
  int operator<(const KRVWD7PrdInfo& iOther) const;
  int operator>(const KRVWD7PrdInfo& iOther) const;

  // Writes the record to the trace in nine lines.
  void Dump() const;

  // The trace text of a node-type code ("Unknown" outside 1 to 8).
  static const char* NodeTypeText(int iType);

  // --- Class information --------------------------------------------------
  static CATMetaClass* MetaObject();
  static const char* ClassName();
  static const IID& ClassId();
  // Answers null: a record cannot be made by class name.
  static CATBaseUnknown* CreateItself();
  CATMetaClass* GetMetaObject() const override;
  const char* IsA() const override;
  int IsAKindOf(const char* iClassName) const override;

 private:
  // Attribute iIndex of iProduct: 0 part number, 1 revision, 2 definition,
  // 3 nomenclature, 5 description. oValue is cleared first; E_INVALIDARG
  // for an empty product; E_FAIL for 4 or any index outside the table.
  static HRESULT GetPrdAttribute(const CATBaseUnknown_var& iProduct,
                                 int iIndex, CATUnicodeString& oValue);
  static HRESULT ReadVersion(const CATBaseUnknown_var& iProduct,
                             CATUnicodeString& oVersion);
  static HRESULT ReadRevision(const CATBaseUnknown_var& iProduct,
                              CATUnicodeString& oRevision);

  // The record's texts, one after the other in one block: a list holds a
  // record per product, hundreds of thousands of them, and one block
  // instead of eight strings halves what each takes. Text f is
  // texts_[f == 0 ? 0 : ends_[f - 1], ends_[f]).
  enum TextField {
    kPath,
    kVersion,
    kRevision,
    kPartNumber,
    kPrintableId,
    kPdmEnv,
    kDocCompid,
    kDocDisplayName,
    kTextFields
  };
  std::string_view TextOf(TextField iField) const;
  CATUnicodeString Text(TextField iField) const;
  // Text(iField) into oText, whose storage is reused: the lists are read
  // record after record into the same texts.
  void CopyText(TextField iField, CATUnicodeString& oText) const;
  void SetText(TextField iField, std::string_view iValue);
  // Replaces every text at once, in TextField order.
  void SetTexts(const CATUnicodeString* const iTexts[kTextFields]);

  CATBaseUnknown_var product_;
  KRVWD7UtiPackedPosition position_;
  int node_type_;
  unsigned char is_black_box_;
  std::unique_ptr<char[]> texts_;  // ends_[kTextFields - 1] bytes; null when none
  uint32_t ends_[kTextFields];
};

#endif  // KRVWD7_INCLUDE_KRVWD7PRDINFO_H_
