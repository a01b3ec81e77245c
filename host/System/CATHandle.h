// Handles: smart pointers of the component object model.
//
// A CATHandle<T> holds one reference on an object through its interface T,
// or nothing (the empty handle). A handle made from a pointer or handle of
// another type is a cast: an upcast when the type derives from T, otherwise
// a QueryInterface for T::ClassId(); the handle is empty when the object
// lacks the interface. Two handles are equal when they designate the same
// object (IsEqual), whatever their types; two empty handles are equal.
//
// Included by CATBaseUnknown.h; do not include it alone.
#ifndef KRVWD7_HOST_CATHANDLE_H_
#define KRVWD7_HOST_CATHANDLE_H_

#include <cstddef>
#include <type_traits>
#include <utility>

template <class T>
class CATHandle {
 public:
  CATHandle() : ptr_(nullptr) {}
  CATHandle(std::nullptr_t) : ptr_(nullptr) {}
  template <class U>
  CATHandle(U* iObject) : ptr_(Cast(iObject)) {}
  CATHandle(const CATHandle& other) : ptr_(other.ptr_) {
    if (ptr_) ptr_->AddRef();
  }
  CATHandle(CATHandle&& other) noexcept : ptr_(other.ptr_) {
    other.ptr_ = nullptr;
  }
  template <class U>
  CATHandle(const CATHandle<U>& other) : ptr_(Cast(other.Get())) {}
  ~CATHandle() {
    if (ptr_) ptr_->Release();
  }

  CATHandle& operator=(const CATHandle& other) {
    Reset(other.ptr_ ? Retain(other.ptr_) : nullptr);
    return *this;
  }
  CATHandle& operator=(CATHandle&& other) noexcept {
    if (this != &other) {
      T* old = ptr_;
      ptr_ = other.ptr_;
      other.ptr_ = nullptr;
      if (old) old->Release();
    }
    return *this;
  }
  template <class U>
  CATHandle& operator=(const CATHandle<U>& other) {
    Reset(Cast(other.Get()));
    return *this;
  }
  template <class U>
  CATHandle& operator=(U* iObject) {
    Reset(Cast(iObject));
    return *this;
  }
  CATHandle& operator=(std::nullptr_t) {
    Reset(nullptr);
    return *this;
  }

  T* operator->() const { return ptr_; }
  T& operator*() const { return *ptr_; }
  // The interface pointer, borrowed (no reference is added).
  T* Get() const { return ptr_; }
  bool operator!() const { return ptr_ == nullptr; }
  explicit operator bool() const { return ptr_ != nullptr; }

 private:
  static T* Retain(T* p) {
    p->AddRef();
    return p;
  }
  void Reset(T* p) {  // takes over the reference that p holds
    T* old = ptr_;
    ptr_ = p;
    if (old) old->Release();
  }
  template <class U>
  static T* Cast(U* p) {
    if (p == nullptr) return nullptr;
    if constexpr (std::is_base_of<T, U>::value) {
      return Retain(p);
    } else {
      void* out = nullptr;
      if (p->QueryInterface(T::ClassId(), &out) < 0) return nullptr;
      return static_cast<T*>(out);
    }
  }

  T* ptr_;
};

template <class A, class B>
bool operator==(const CATHandle<A>& a, const CATHandle<B>& b) {
  if (!a || !b) return !a && !b;
  return a->IsEqual(b.Get()) != 0;
}
template <class A, class B>
bool operator!=(const CATHandle<A>& a, const CATHandle<B>& b) {
  return !(a == b);
}

#endif  // KRVWD7_HOST_CATHANDLE_H_
