// The root of the host's component object model.
//
// Every host object is reference counted, answers QueryInterface for an
// interface identifier and compares with another object by IsEqual (the same
// object). Interfaces derive virtually from CATBaseUnknown, so an object that
// implements several interfaces has exactly one counter and one identity.
//
// Counting rules (the usual ones of the model):
//  - `new` makes an object with a count of 1, owned by its creator.
//  - QueryInterface hands out an interface pointer that holds one reference;
//    the caller releases it (handles do that for you).
//  - An object is deleted by the Release that brings its count to 0. An object
//    that is deleted while references are still held, or released once too
//    often, aborts the process with a message: both are bugs.
//
// Extensions: an extension object (a data or code extension of a late type)
// is bound to the object it extends; GetImpl() reaches that object and the
// extension holds one reference on it. An extension, and an interface object
// built over it, have the identity of the extended object, so IsEqual and
// handle equality see them as that object.
#ifndef KRVWD7_HOST_CATBASEUNKNOWN_H_
#define KRVWD7_HOST_CATBASEUNKNOWN_H_

#include <cstring>

#include "CATDataType.h"

// Interface (or class) identifier. Identifiers are compared by name, so an
// identifier declared in one library and used in another still matches.
struct IID {
  const char* name;
};
typedef IID CLSID;

// By address first; names that differ in their first letter are told apart
// without a call (a product is asked for the black-box interface on every
// record of a list, after its own seven interfaces).
inline bool operator==(const IID& a, const IID& b) {
  return &a == &b || (a.name[0] == b.name[0] && std::strcmp(a.name, b.name) == 0);
}
inline bool operator!=(const IID& a, const IID& b) { return !(a == b); }

extern const IID IID_CATBaseUnknown;

constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);

class CATMetaClass;

class CATBaseUnknown {
 public:
  CATBaseUnknown();
  // Copies start with a count of 1 and no binding: the count and the binding
  // belong to an object, not to its value.
  CATBaseUnknown(const CATBaseUnknown& other);
  CATBaseUnknown& operator=(const CATBaseUnknown& other);
  virtual ~CATBaseUnknown();

  // Answers CATBaseUnknown itself, then the interfaces that the dictionary
  // declares for this object's late type (an interface object over a new
  // extension bound to this object). On success *oPtr holds one reference;
  // on failure it is null and the result is E_NOINTERFACE.
  // REQUIRES: oPtr != nullptr.
  virtual HRESULT QueryInterface(const IID& iIID, void** oPtr);
  virtual ULONG AddRef();
  virtual ULONG Release();

  // 1 when both designate the same object (see identity above), else 0.
  int IsEqual(const CATBaseUnknown* iOther) const;
  // The object this one stands for: itself, or for an extension or an
  // interface object, the object it extends.
  const CATBaseUnknown* GetIdentity() const;

  // The object an extension extends, or the implementation an interface
  // object wraps; null for any other object. Borrowed: it lives as long as
  // this object.
  CATBaseUnknown* GetImpl() const { return impl_; }
  // Binds this extension (or interface object) to the object it stands for
  // (one reference is taken); used by the interface-object construction.
  void SetImpl(CATBaseUnknown* iExtended);

  // Automation entry points. This host has no type libraries: no object
  // offers type information, so these answer 0 types and E_NOTIMPL.
  virtual HRESULT GetTypeInfoCount(unsigned int* oCount);
  virtual HRESULT GetTypeInfo(unsigned int iIndex, void** oInfo);
  virtual HRESULT GetIDsOfNames(const char* iName, long* oDispId);
  virtual HRESULT Invoke(long iDispId, void* iArguments, void* oResult);

  // Class information.
  static CATMetaClass* MetaObject();
  static const char* ClassName();
  static const IID& ClassId();
  static CATBaseUnknown* CreateItself();
  virtual CATMetaClass* GetMetaObject() const;
  virtual const char* IsA() const;
  virtual int IsAKindOf(const char* iClassName) const;

  // Number of CATBaseUnknown objects alive in the process; tests compare it
  // before and after to prove that nothing leaked.
  static long LiveObjects();

 protected:
  ULONG RefCount() const { return ref_; }

 private:
  ULONG ref_;
  CATBaseUnknown* impl_;
};

#include "CATHandle.h"

typedef CATHandle<CATBaseUnknown> CATBaseUnknown_var;

// The empty handle, for comparisons such as `if (handle == NULL_var)`.
extern const CATBaseUnknown_var NULL_var;

#endif  // KRVWD7_HOST_CATBASEUNKNOWN_H_
