// What the session-file sources share: the format's names and the rules
// that the reader and the writer must apply alike. Private to
// MemSessionReader.cpp, MemSessionWriter.cpp and MemSessionFileIO.cpp.
#ifndef KRVWD7_HOST_MEMSESSIONFILEINTERNAL_H_
#define KRVWD7_HOST_MEMSESSIONFILEINTERNAL_H_

#include <cstddef>
#include <string>

#include "MemProduct.h"
#include "MemSession.h"

namespace memfile {

inline constexpr char kFormat[] = "krvwd7-session/1";

inline const char* KindName(MemKind iKind) {
  switch (iKind) {
    case MemKind::kComponent: return "component";
    case MemKind::kProduct: return "product";
    case MemKind::kPart: return "part";
    case MemKind::kModel: return "model";
    case MemKind::kOther: return "other";
  }
  return "component";
}

inline const char* ModeName(MemMode iMode) {
  switch (iMode) {
    case MemMode::kDesign: return "design";
    case MemMode::kProduct: return "product";
    case MemMode::kVisu: return "visu";
  }
  return "design";
}

inline bool EndsWith(std::string_view iText, std::string_view iEnd) {
  return iText.size() >= iEnd.size() && iText.substr(iText.size() - iEnd.size()) == iEnd;
}

// The kind a reference without an explicit "kind" gets.
inline MemKind DerivedKind(const MemProduct* iReference) {
  if (!iReference->Children().empty()) return MemKind::kProduct;
  if (iReference->Shapes().empty()) return MemKind::kComponent;
  const MemShape* shape = iReference->FindShape("Default");
  if (shape == nullptr) shape = &iReference->Shapes().front();
  if (EndsWith(shape->Storage(), ".model") || EndsWith(shape->Path(), ".model")) {
    return MemKind::kModel;
  }
  return MemKind::kPart;
}

struct ResultName {
  const char* name;
  HRESULT rc;
};
inline constexpr ResultName kResultNames[] = {
    {"S_OK", S_OK},           {"S_FALSE", S_FALSE},
    {"E_FAIL", E_FAIL},       {"E_INVALIDARG", E_INVALIDARG},
    {"E_NOINTERFACE", E_NOINTERFACE}, {"E_OUTOFMEMORY", E_OUTOFMEMORY},
    {"E_NOTIMPL", E_NOTIMPL}};

// Where the file reader lets go of the pages of the file's text that the
// loader has passed (see MemSessionFileIO.cpp): what lies more than a
// megabyte before the offset reported is gone (zeros), so the loader
// reports only offsets it never reads behind again. Null for a text in
// memory.
struct LoadProgress {
  void (*passed)(size_t iOffset, void* iContext) = nullptr;
  void* context = nullptr;
};

// A sink for the writer's text: a string, or the temporary file of a save.
class TextSink {
 public:
  virtual ~TextSink() = default;
  // False once a write failed (the sink keeps refusing afterwards).
  virtual bool Write(const char* iData, size_t iSize) = 0;
};

// Writes the whole session as text into ioSink; false when the sink failed.
bool WriteSession(const MemSession& iSession, TextSink& ioSink);

}  // namespace memfile

#endif  // KRVWD7_HOST_MEMSESSIONFILEINTERNAL_H_
