// KRVWD7PrdInfoListServices: record lists of whole product structures.
//
// Turns the structure below a root into a CATListValKRVWD7PrdInfo (one
// record per product, in the toolbox's order), looks records up in such a
// list, and rewrites printable ids after component links were replaced.
// All operations are static; the class is never instantiated.
//
// A printable id is a 58-character head followed by 16-character component
// links (clinks), the topmost first and the product's own last.
//
// Look-ups share one contract: oInfo is reset (Init) first; E_INVALIDARG
// for an empty key (empty handle, or a text of length 0); E_FAIL for an
// empty list or no match (oInfo then stays reset); S_OK with a copy of the
// first matching record. They are linear scans from the first record.
// Runs on the host's user-interface thread only.
#ifndef KRVWD7_INCLUDE_KRVWD7PRDINFOLISTSERVICES_H_
#define KRVWD7_INCLUDE_KRVWD7PRDINFOLISTSERVICES_H_

#include "CATBaseUnknown.h"
#include "CATListValCATUnicodeString.h"
#include "CATListValKRVWD7PrdInfo.h"
#include "CATUnicodeString.h"
#include "KRVWD7PrdInfo.h"

class CATMetaClass;
class CATRawCollint;

class KRVWD7PrdInfoListServices : public CATBaseUnknown {
 public:
  ~KRVWD7PrdInfoListServices() override;

  // Empties oList, then fills it with one record per product below iRoot
  // (RetrieveInfo with iFromStoredIdentity), instance paths counted from
  // iPathRoot, or from iRoot when iPathRoot is empty. A child whose reading
  // fails is kept out of oList and appended to oFailedList when given
  // (oFailedList is not emptied). Reads every product once; shows a
  // progress bar in interactive sessions; traces its steps and its time.
  // S_OK every child read; 1 no child, or at least one child failed;
  // E_FAIL the children cannot be listed; E_INVALIDARG an empty iRoot.
  static HRESULT BuildPrdInfoList(const CATBaseUnknown_var& iRoot,
                                  CATListValKRVWD7PrdInfo& oList,
                                  unsigned char iFromStoredIdentity,
                                  const CATBaseUnknown_var& iPathRoot,
                                  CATListValKRVWD7PrdInfo* oFailedList);

  // Dumps every record, first to last. Always S_OK.
  static HRESULT DumpPrdInfoList(const CATListValKRVWD7PrdInfo& iList);

  // The first record whose product is the same object as iProduct.
  static HRESULT GetPrdInfo(const CATListValKRVWD7PrdInfo& iList,
                            const CATBaseUnknown_var& iProduct,
                            KRVWD7PrdInfo& oInfo);
  // The first record whose instance path without its first iSkip
  // components equals iPath.
  static HRESULT GetPrdInfo(const CATListValKRVWD7PrdInfo& iList,
                            const CATUnicodeString& iPath, int iSkip,
                            KRVWD7PrdInfo& oInfo);
  // The first record whose printable id equals iPrintableId exactly; every
  // comparison is traced.
  static HRESULT GetPrdInfo(const CATListValKRVWD7PrdInfo& iList,
                            const CATUnicodeString& iPrintableId,
                            KRVWD7PrdInfo& oInfo);

  // oUpdatedClink := iCurrentClink with each clink found in iClinks (first
  // match, position k) replaced by iReplacingClinks[k], unless that entry
  // is "NotReplaced". The head is never changed. iClinks and
  // iReplacingClinks are parallel lists. Always S_OK.
  static HRESULT UpdateClink(const CATUnicodeString& iCurrentClink,
                             const CATListValCATUnicodeString& iClinks,
                             const CATListValCATUnicodeString& iReplacingClinks,
                             CATUnicodeString& oUpdatedClink);

  // --- Difference identification (KRVWD7PrdInfoListServicesDifferences.cpp)
  // Compares a black box's records (iListBB, built with stored identity 1)
  // with its PSN's (iListPSN, stored identity 0). The outputs are emptied
  // first. Entry k of the three parallel lists oDiffTypeList,
  // oIndexinListBB, oIndexinListPSN is one difference: "REMOVED" (the
  // black-box record on both sides), "VERSION", "REVISION",
  // "VERSION/REVISION", "ALTCUSTO", "POSITION", "REPLACE", "IDCHANGE".
  // oAddedList holds the PSN records that are new products; oNbDiff is the
  // number of entries plus the number of added records. Black-box ids are
  // read with the selector iBBType. iIsFlatten 1 compares PSN positions in
  // the frame of iPSNRoot. Phase 3 (replacements) is RetrieveDifferences2
  // when KRV_WD7_RETRIEVEDIFFERENCES2 is defined, else RetrieveDifferences1.
  // Result: phase 3's, negative when its VPM call failed (the outputs then
  // hold the removed and added products unpaired). Linear in the list
  // sizes apart from phase 3's traced look-ups (removed x added).
  static HRESULT RetrieveDifferences(const CATBaseUnknown_var& iPSNRoot,
                                     const CATListValKRVWD7PrdInfo& iListBB,
                                     const CATListValKRVWD7PrdInfo& iListPSN,
                                     CATListValKRVWD7PrdInfo& oIndexinListBB,
                                     CATListValKRVWD7PrdInfo& oIndexinListPSN,
                                     CATListValKRVWD7PrdInfo& oAddedList,
                                     CATListValCATUnicodeString& oDiffTypeList,
                                     int& oNbDiff, int iBBType,
                                     unsigned char iIsFlatten);
  // Phase 3, first method: asks GetReplacingClinks which clinks replaced
  // those of the removed records (iRemovedList, whose "REMOVED" entries are
  // at iRemovedEntryIndexes) and pairs each with the added record carrying
  // the rewritten id. Rewrites and shortens the outputs, keeping oNbDiff =
  // entries + added records. Returns GetReplacingClinks' result; when it
  // fails or answers fewer entries than removed records, nothing changes.
  static HRESULT RetrieveDifferences1(const CATBaseUnknown_var& iPSNRoot,
                                      CATListValKRVWD7PrdInfo& iRemovedList,
                                      CATListValKRVWD7PrdInfo& oAddedList,
                                      CATRawCollint& iRemovedEntryIndexes,
                                      CATListValKRVWD7PrdInfo& oIndexinListBB,
                                      CATListValKRVWD7PrdInfo& oIndexinListPSN,
                                      CATListValCATUnicodeString& oDiffTypeList,
                                      int& oNbDiff, int iBBType,
                                      unsigned char iIsFlatten);
  // Phase 3, second method: the same job from the added records, through
  // GetReplacingClinks2. Returns its result; when it fails or answers
  // another number of entries than added records, nothing changes.
  static HRESULT RetrieveDifferences2(const CATBaseUnknown_var& iPSNRoot,
                                      CATListValKRVWD7PrdInfo& iRemovedList,
                                      CATListValKRVWD7PrdInfo& oAddedList,
                                      CATRawCollint& iRemovedEntryIndexes,
                                      CATListValKRVWD7PrdInfo& oIndexinListBB,
                                      CATListValKRVWD7PrdInfo& oIndexinListPSN,
                                      CATListValCATUnicodeString& oDiffTypeList,
                                      int& oNbDiff, int iBBType,
                                      unsigned char iIsFlatten);
  // --- End of difference identification ---------------------------------

  // Class information. CreateItself answers null.
  static CATMetaClass* MetaObject();
  static const char* ClassName();
  static const IID& ClassId();
  static CATBaseUnknown* CreateItself();
  CATMetaClass* GetMetaObject() const override;
  const char* IsA() const override;
  int IsAKindOf(const char* iClassName) const override;

 private:
  KRVWD7PrdInfoListServices();
  KRVWD7PrdInfoListServices(const KRVWD7PrdInfoListServices&) = delete;
  KRVWD7PrdInfoListServices& operator=(const KRVWD7PrdInfoListServices&) =
      delete;
};

#endif  // KRVWD7_INCLUDE_KRVWD7PRDINFOLISTSERVICES_H_
