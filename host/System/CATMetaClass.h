// Class descriptions of the component object model.
//
// A CATMetaClass describes one class: its name and identifier, its base
// class, its kind, the late type it belongs to or extends, a tag, and the
// function that creates an object of it (none for classes that cannot be
// made by name). Descriptions are made on first use by the class's own
// MetaObject() and live until the process ends; each class has exactly one.
#ifndef KRVWD7_HOST_CATMETACLASS_H_
#define KRVWD7_HOST_CATMETACLASS_H_

#include "CATBaseUnknown.h"

// Class kinds.
enum CATClassKind {
  CATImplementationKind = 1,  // a class of its own (or of its own late type)
  CATDataExtensionKind = 2,   // extends a late type; one per extended object
  CATCodeExtensionKind = 3,   // extends a late type; carries code only
  CATInterfaceKind = 4,       // an interface declaration
  CATTieKind = 6              // an interface object over an implementation
};

class CATMetaClass {
 public:
  typedef CATBaseUnknown* (*Creator)();

  // iName, iType and iTag must outlive the description (string literals).
  // iType is the late type the class belongs to ("CATNull" for none) or, for
  // an extension, the late type it extends. iImplementation is, for an
  // interface object, the description of the implementation it wraps.
  CATMetaClass(const IID& iId, const char* iName, CATMetaClass* iBase,
               CATClassKind iKind, const char* iType, const char* iTag,
               Creator iCreator = nullptr,
               CATMetaClass* iImplementation = nullptr);
  CATMetaClass(const CATMetaClass&) = delete;
  CATMetaClass& operator=(const CATMetaClass&) = delete;

  const IID& GetClassId() const { return id_; }
  const char* GetClassName() const { return name_; }
  CATMetaClass* GetBase() const { return base_; }
  CATClassKind GetKind() const { return kind_; }
  const char* GetType() const { return type_; }
  // The late type of an object of this class, under which the interface
  // dictionary looks up its interfaces: its type, or its own name for a
  // class of its own type ("CATNull").
  const char* GetLateType() const;
  const char* GetTag() const { return tag_; }
  CATMetaClass* GetImplementation() const { return implementation_; }

  // 1 when this class or one of its bases is named iClassName.
  int IsAKindOf(const char* iClassName) const;
  // A new object of the class (count 1), or null when it has no creator.
  CATBaseUnknown* CreateInstance() const;

 private:
  IID id_;
  const char* name_;
  CATMetaClass* base_;
  CATClassKind kind_;
  const char* type_;
  const char* tag_;
  Creator creator_;
  CATMetaClass* implementation_;
};

#endif  // KRVWD7_HOST_CATMETACLASS_H_
