// Clipboard formats, registered once by name.
#ifndef KRVWD7_HOST_CATFORMAT_H_
#define KRVWD7_HOST_CATFORMAT_H_

#include <string>

class CATFormat {
 public:
  // The format registered under iName ("CATProdCont", "CATSpecBreakLink");
  // null for a name the host does not know. Borrowed, lives for the process.
  static const CATFormat* GetRegisteredFormat(const char* iName);
  const char* Name() const { return name_.c_str(); }

 private:
  explicit CATFormat(const char* iName) : name_(iName) {}
  std::string name_;
};

#endif  // KRVWD7_HOST_CATFORMAT_H_
