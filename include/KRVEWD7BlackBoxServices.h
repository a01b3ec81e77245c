// KRVEWD7BlackBoxServices: the operations of the black-box services
// component that commands call.
//
// The code extension of the component "KRVWD7BlackBoxServices": it
// implements KRVIWD7BlackBoxServices (every operation below, in the
// interface's order) and CATICreateInstance (which makes the component).
// A command creates the component by name and asks it for
// KRVIWD7BlackBoxServices; tests may also make an object directly.
//
// An object has no state between calls; every operation works on the
// documents and products it is given and on the session's current content.
// Failures that a user must see are raised through the host's error
// mechanism (CATError::GetReturn with a catalog key), and the operation
// returns the failure code it gives. Runs on the host's user-interface
// thread only.
#ifndef KRVWD7_INCLUDE_KRVEWD7BLACKBOXSERVICES_H_
#define KRVWD7_INCLUDE_KRVEWD7BLACKBOXSERVICES_H_

#include "CATBaseUnknown.h"
#include "CATListValCATBaseUnknown_var.h"
#include "CATUnicodeString.h"

class CATDocument;
class CATMetaClass;

class KRVEWD7BlackBoxServices : public CATBaseUnknown {
 public:
  KRVEWD7BlackBoxServices();
  ~KRVEWD7BlackBoxServices() override;
  KRVEWD7BlackBoxServices(const KRVEWD7BlackBoxServices&) = delete;
  KRVEWD7BlackBoxServices& operator=(const KRVEWD7BlackBoxServices&) = delete;

  // --- KRVIWD7BlackBoxServices, in the interface's order ------------------

  // 1. Adds iPSNProduct, picked in the PSN structure under iPSNRoot, with
  // every product below it, to the black box of iTarget. E_INVALIDARG for
  // an empty handle among the first three; the catalog errors of
  // "KRVWD7AddToBB"; otherwise S_OK (also when iPSNProduct is not in the
  // PSN list, and when single children could not be added).
  HRESULT AddToBlackBox(const CATBaseUnknown_var& iPSNProduct,
                        const CATBaseUnknown_var& iPSNRoot,
                        const CATBaseUnknown_var& iTarget,
                        CATBaseUnknown_var& oNewProduct, CATLONG64 iUnused);
  // 2. Flattens the black box of iDocument: every part and model instance
  // below its PSN root instance is moved directly below it (iOption 1:
  // below the black-box root, the PSN root instance then deleted and the
  // type set to 1), the emptied components below it deleted, the black box
  // marked flattened. E_INVALIDARG: the root is not a black box of version
  // 2. E_FAIL: already flattened or the flag unreadable, no PSN root
  // instance, the record list not built. Otherwise S_OK, also when single
  // moves or deletions failed.
  HRESULT Flatten(CATDocument& iDocument, const unsigned char& iOption);
  // 3. to 5. Migration of black boxes: Migrate makes a version 1 black box
  // version 2 from the PSN document open beside it, Migrate2 re-attaches a
  // version 2 black box to it, MigrateAfterRootPartVersionning follows a
  // new version of the PSN root part. E_INVALIDARG: not applicable (an
  // empty text, a document that may not be worked on, a root that is not
  // a black box of the version migrated), with only the entry trace line.
  // E_FAIL: a step failed, told by its "ERROR: ..." trace line. S_OK
  // otherwise. Nothing is rolled back.
  HRESULT Migrate(CATDocument& iDocument, const CATUnicodeString& iPSNFilename);
  HRESULT Migrate2(CATDocument& iDocument, const CATUnicodeString& iPSNFilename);
  HRESULT MigrateAfterRootPartVersionning(
      CATDocument& iDocument, const CATUnicodeString& iNewPSNPrintableId,
      const CATUnicodeString& iNewPSNFilename,
      const CATUnicodeString& iNewPSNPartNumber);
  // 6. Moves a part or model instance of a flattened black box below
  // iDestination, keeping its VPM identity. S_OK, or the catalog errors of
  // "KRVWD7MoveToPersonalizedStructure" ("ErrId8": moved, but without its
  // identity).
  HRESULT MoveToPersonalizedStructure(const CATBaseUnknown_var& iProduct,
                                      const CATBaseUnknown_var& iDestination);
  // 7. Gives iTarget the position of iReference: the toolbox's result.
  // E_FAIL (traced) for a missing product, root or black-box interface;
  // the failure of a black-box query as it comes; E_FAIL after the blocking
  // "ERROR" notification when either root is a flattened black box.
  HRESULT CopyPosition(const CATBaseUnknown_var& iReference,
                       const CATBaseUnknown_var& iTarget);
  // 8. Carries the black box's differing positions over to the PSN.
  // E_INVALIDARG for an empty handle; E_FAIL when the comparison fails; the
  // catalog errors of "KRVWD7UpdatePosition"; 0 when every position
  // difference was copied (at least one), 1 otherwise.
  HRESULT UpdatePosition(const CATBaseUnknown_var& iPSNRoot,
                         const CATBaseUnknown_var& iBlackBox);
  // 9. Selects in the PSN window the products that stand for the selected
  // black-box components. E_INVALIDARG for an empty list; the catalog
  // errors of "KRVWD7IdentifyInPSN"; otherwise the result of the last host
  // call (E_FAIL when the PSN document is not open).
  HRESULT Identify(const CATListValCATBaseUnknown_var& iComponents);
  // 10. Writes the PSN file of the black box shown in the current editor
  // (the root of its document, and every product below the root that the
  // all-children query lists in mode 2) under the name iPSNFilename
  // completed by GetPSNTargetFilename. The link and collapsed-part entries
  // of the black box's previous PSN file (GetPSNFilename of the root) are
  // read completely first, so the target may be that file.
  //
  // The target is replaced atomically: the lines go to a temporary file in
  // the target's folder, which replaces the target only once complete; no
  // failure leaves a partial file or the temporary file behind.
  //
  // Results:
  //  - E_FAIL when the temporary file cannot be created (nothing is
  //    written, no further trace), or when writing, closing or renaming it
  //    fails (a trace line says what failed; the target is untouched).
  //  - With no component list (no current editor, no root, or the
  //    all-children query gave no list): the target is replaced by an empty
  //    file and the result is that of the default-directory query (S_OK
  //    when the settings answered).
  //  - Otherwise the result of GetPSNPrintableId on the root (S_OK, S_FALSE
  //    without the attribute, E_FAIL when the root is no black box); the
  //    file is written whatever that result.
  //
  // Choices the file format leaves open:
  //  - the time in the header is the universal time of the moment of
  //    writing (SOURCE_DATE_EPOCH, through CATGetEnv, fixes it), always
  //    followed by "+00:00";
  //  - lines are built whole, however long; texts are copied byte for
  //    byte, fixed-width fields lying beyond the end of a short text are
  //    empty;
  //  - a collapsed-part reference that names no link entity of the old file
  //    stays as written; the old file is read only when it is a regular
  //    file;
  //  - an entity reference put in place of a link identifier is final: a
  //    later identifier is not looked for inside it (see
  //    ReplaceLinksByEntities in KRVWD7PSNFileText.h);
  //  - the empty-file return writes no exit trace line.
  HRESULT UpdatePSNFile(const CATUnicodeString& iPSNFilename);
  // 11. oIsUpToDate := 0 when the black box of iBBDocument differs in any
  // way from the PSN of iPSNDocument (any difference entry or added
  // product), 1 otherwise; it stays 1 on every early return. Both
  // structures are switched to product mode and compared from the black
  // box's PSN node (the root for type 1, the instance of the PSN part
  // number for type 2). E_INVALIDARG: a document that may not be worked on,
  // or a black-box document whose root is not a black box of version 2.
  // E_FAIL: a missing root, or no PSN node in the black box. Otherwise the
  // result of the comparison (negative when its VPM replacement query
  // failed).
  HRESULT IsUpToDate(CATDocument& iBBDocument, CATDocument& iPSNDocument,
                     unsigned char& oIsUpToDate);

  // The file name UpdatePSNFile writes for iPSNFilename with the default
  // PSN directory in force, without trace: the name itself when it begins
  // with the directory (case ignored) or holds a "\", else directory + "\"
  // + name; then ".psn" appended unless it ends the name (case-sensitive).
  // Only "\" separates directories here, also on a "/" system.
  static CATUnicodeString GetPSNTargetFilename(const CATUnicodeString& iPSNFilename);

  // --- CATICreateInstance ---------------------------------------------------

  // Makes a new object of the component "KRVWD7BlackBoxServices".
  // E_INVALIDARG when oObject is null; otherwise *oObject is cleared, then
  // set to the new object (count 1) with S_OK, or E_OUTOFMEMORY when it
  // cannot be made.
  HRESULT CreateInstance(void** oObject);

  // --- Class information ----------------------------------------------------

  // A code extension (kind 3) of "KRVWD7BlackBoxServices", tag "External".
  static CATMetaClass* MetaObject();
  static const char* ClassName();
  static const IID& ClassId();
  // A new unbound extension with a count of 1 (null when out of memory).
  static CATBaseUnknown* CreateItself();
  CATMetaClass* GetMetaObject() const override;
  const char* IsA() const override;
  int IsAKindOf(const char* iClassName) const override;
};

#endif  // KRVWD7_INCLUDE_KRVEWD7BLACKBOXSERVICES_H_
