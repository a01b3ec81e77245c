// Interface objects ("ties") and the interface dictionary.
//
// A library declares which implementation answers which interface for which
// late type with static CATFillDictionary objects, made when the library is
// loaded. QueryInterface on a host object then finds the entry of its late
// type and calls the entry's factory, which builds an interface object over
// a new extension bound to that object.
//
// An interface object is a class of the library that derives from the
// interface and keeps a CATTieState. Its pieces are the host's functions
// below: the factory constructs it with Tie_Construct, its AddRef, Release
// and QueryInterface call Tie_AddRef, Tie_Release and Tie_Query, its
// destructor calls Tie_Destruct, and every interface operation runs the
// implementation's operation inside Tie_StackCtx::Run.
#ifndef KRVWD7_HOST_CATTIE_H_
#define KRVWD7_HOST_CATTIE_H_

#include "CATBaseUnknown.h"
#include "CATMetaClass.h"

// A factory exported by a library: builds an interface object over
// iImplementation (or over a new implementation object when it is null)
// bound to iExtended (may be null for a component not yet made). Returns the
// interface object with a count of 1, or null when it cannot be made.
typedef CATBaseUnknown* (*CATTieFactory)(CATBaseUnknown* iExtended,
                                         CATBaseUnknown* iImplementation);

// What every interface object holds: the implementation object (one
// reference) and its description.
struct CATTieState {
  CATBaseUnknown* implementation = nullptr;
  CATMetaClass* meta = nullptr;
};

// Fills iState for the interface object iTie of description iTieMeta: takes
// iImplementation (adding a reference) or, when it is null, a new object of
// iCreator, and binds it to iExtended when it is an extension (kind 2 or 3)
// and iExtended is set. Returns E_OUTOFMEMORY when no implementation object
// could be made.
HRESULT Tie_Construct(CATTieState& iState, CATBaseUnknown* iTie,
                      CATBaseUnknown* iExtended, CATBaseUnknown* iImplementation,
                      CATMetaClass* iTieMeta, const IID& iImplementationId,
                      CATClassKind iImplementationKind,
                      CATMetaClass::Creator iCreator);
// Releases the implementation object.
void Tie_Destruct(CATTieState& iState);
// iSelf is the interface object seen as its interface, iTieIID that
// interface: answers it and CATBaseUnknown with iSelf, any other interface
// through the object the implementation extends (or the implementation).
HRESULT Tie_Query(CATTieState& iState, CATBaseUnknown* iTie, void* iSelf,
                  const IID& iTieIID, const IID& iIID, void** oPtr);
// Counting of the interface object itself; Tie_Release deletes it at 0.
ULONG Tie_AddRef(CATBaseUnknown* iTie);
ULONG Tie_Release(CATBaseUnknown* iTie);
// Type information of interface objects: this host has no type libraries.
HRESULT Tie_GetTypeInfoCount(CATTieState& iState, unsigned int* oCount);
HRESULT Tie_GetTypeInfo(CATTieState& iState, unsigned int iIndex, void** oInfo);
HRESULT Tie_GetIDsOfNames(CATTieState& iState, const char* iName, long* oDispId);
HRESULT Tie_Invoke(CATTieState& iState, long iDispId, void* iArguments,
                   void* oResult);

// The call context: the stack of interface objects whose operation runs.
class Tie_StackCtx {
 public:
  explicit Tie_StackCtx(CATBaseUnknown* iTie);
  ~Tie_StackCtx();
  Tie_StackCtx(const Tie_StackCtx&) = delete;
  Tie_StackCtx& operator=(const Tie_StackCtx&) = delete;

  // Runs iCall with iTie on top of the context and returns its result.
  template <class Call>
  static HRESULT Run(CATBaseUnknown* iTie, Call&& iCall) {
    Tie_StackCtx context(iTie);
    return iCall();
  }
  // Number of interface operations running, and the innermost one's object.
  static int Depth();
  static CATBaseUnknown* Current();
};

// A dictionary entry, made by a static object when a library is loaded and
// withdrawn when it is destroyed. iSecond is unused by this host; iFlag 1
// marks an entry that may be used at once.
class CATFillDictionary {
 public:
  CATFillDictionary(CATMetaClass* iImplementation, CATMetaClass* iInterface,
                    CATTieFactory iFactory, void* iSecond, int iFlag);
  ~CATFillDictionary();
  CATFillDictionary(const CATFillDictionary&) = delete;
  CATFillDictionary& operator=(const CATFillDictionary&) = delete;

 private:
  CATMetaClass* implementation_;
  CATMetaClass* interface_;
};

class CATInterfaceDictionary {
 public:
  // The factory that answers iIID for late type iType (null when none) and,
  // when oImplementation is given, the implementation's description.
  static CATTieFactory Find(const char* iType, const IID& iIID,
                            CATMetaClass** oImplementation = nullptr);
  // Builds the interface object for iObject, whose late type is iType, and
  // answers iIID through it. E_NOINTERFACE when no entry matches.
  static HRESULT Query(CATBaseUnknown* iObject, const char* iType,
                       const IID& iIID, void** oPtr);
  // Number of entries.
  static int Size();
};

#endif  // KRVWD7_HOST_CATTIE_H_
