#include "KRVEWD7BlackBox.h"

#include <new>

#include "CATICkeParm.h"
#include "CATIProduct.h"
#include "CATMetaClass.h"
#include "KRVWD7CoreInternal.h"
#include "KRVWD7UtiPrdServices.h"

using krvwd7_core::DefaultPSNDirectory;
using krvwd7_core::Trace;
using krvwd7_core::TraceF;

namespace {

const IID kClassId = {"KRVEWD7BlackBox"};

const char kVersion[] = "BBVersion";
const char kType[] = "BBType";
const char kPSNPartNumber[] = "BBPSNPartNumber";
const char kNote[] = "BBNote";
const char kPSNFilename[] = "BBPSNFilename";
const char kFlatten[] = "BBFlatten";
const char kPSNPrintableId[] = "BBPSNPrintableId";

void TraceName(const char* iLabel, const CATUnicodeString& iValue) {
  TraceF("%s='%s'", iLabel, iValue.ConvertToChar());
}
void TracePos(int iPos) { TraceF("pos=%d", iPos); }

CATUnicodeString FormatInt(int iValue) {
  CATUnicodeString text;
  text.BuildFromNum(iValue, "%d");
  return text;
}

// Writes a text property: set when it exists (GetProperty 0), create when it
// is absent (1). Returns the toolbox's result of that write, or E_FAIL when
// the property cannot be read.
HRESULT WriteProperty(const CATBaseUnknown_var& iProduct, const char* iName,
                      const CATUnicodeString& iValue) {
  CATUnicodeString current;
  HRESULT rc = KRVWD7UtiPrdServices::GetProperty(iProduct, iName, current);
  if (rc == S_OK) return KRVWD7UtiPrdServices::SetProperty(iProduct, iName, iValue);
  if (rc == S_FALSE) {
    return KRVWD7UtiPrdServices::CreateProperty(iProduct, iName, iValue);
  }
  return E_FAIL;
}

// Writes a text parameter: valuates the existing one or creates it. S_OK or
// E_FAIL (a found parameter without a handle, a failed creation, any other
// answer of the toolbox). The valuation's own result is not looked at.
HRESULT WriteParameter(const CATBaseUnknown_var& iProduct, const char* iName,
                       const CATUnicodeString& iValue) {
  CATICkeParm_var parm;
  HRESULT rc = KRVWD7UtiPrdServices::GetParameter(iProduct, iName, parm);
  if (rc == S_OK) {
    if (!parm) return E_FAIL;
    parm->Valuate(iValue);
    return S_OK;
  }
  if (rc != S_FALSE) return E_FAIL;
  CATICkeParm_var created;
  rc = KRVWD7UtiPrdServices::CreateParameter(iProduct, iName, iValue, created);
  return SUCCEEDED(rc) && created ? S_OK : E_FAIL;
}

// True when the parameter exists with a handle; oValue gets its value.
bool ReadParameter(const CATBaseUnknown_var& iProduct, const char* iName,
                   CATUnicodeString* oValue) {
  CATICkeParm_var parm;
  HRESULT rc = KRVWD7UtiPrdServices::GetParameter(iProduct, iName, parm, oValue);
  return rc == S_OK && parm;
}

bool StartsWith(const CATUnicodeString& iText, const CATUnicodeString& iHead) {
  return iText.SearchSubString(iHead, 0, CATUnicodeString::CATSearchModeForward) == 0;
}

// The stored form of ioName for the default directory iDirectory (not
// empty): a name under the directory (compared without case) becomes
// "./" + the rest with forward slashes; a bare file name is put into the
// directory; any other path stays as it is.
void MakeRelative(CATUnicodeString& ioName, const CATUnicodeString& iDirectory) {
  CATUnicodeString upper_name = ioName;
  CATUnicodeString upper_directory = iDirectory;
  upper_name.ToUpper();
  upper_directory.ToUpper();
  if (!StartsWith(upper_name, upper_directory)) {
    int pos = upper_name.SearchSubString("\\", 0,
                                         CATUnicodeString::CATSearchModeForward);
    TracePos(pos);
    if (pos == -1) {
      ioName.Insert(0, "\\");
      ioName.Insert(0, iDirectory);
    }
  } else {
    ioName.Remove(0, iDirectory.GetLengthInChar());
    TraceName("ustrPSNFilename", ioName);
    ioName.ReplaceAll("\\", "/");
    TraceName("ustrPSNFilename", ioName);
    int pos = ioName.SearchSubString("/", 0, CATUnicodeString::CATSearchModeForward);
    TracePos(pos);
    ioName.Insert(0, pos == 0 ? "." : "./");
  }
  TraceName("ustrPSNFilename", ioName);
}

// Appends ".psn" unless the name already ends with it (case-sensitive).
void EnsurePsnExtension(CATUnicodeString& ioName) {
  int pos = ioName.SearchSubString(".psn", -1, CATUnicodeString::CATSearchModeBackward);
  if (pos == -1 || pos + 4 != ioName.GetLengthInChar()) ioName.Append(".psn");
}

// The absolute form of a stored "./..." name under iDirectory (not empty),
// with backslashes.
CATUnicodeString MakeAbsolute(const CATUnicodeString& iStored,
                              const CATUnicodeString& iDirectory) {
  CATUnicodeString directory = iDirectory;
  directory.ReplaceAll("\\", "/");
  CATUnicodeString name = iStored;
  name.Remove(0, 2);
  int last = directory.SearchSubString("/", -1, CATUnicodeString::CATSearchModeBackward);
  if (last == -1 || last != directory.GetLengthInChar() - 1) name.Insert(0, "/");
  name.Insert(0, directory);
  name.ReplaceAll("/", "\\");
  return name;
}

}  // namespace

KRVEWD7BlackBox::KRVEWD7BlackBox() = default;
KRVEWD7BlackBox::~KRVEWD7BlackBox() = default;

CATMetaClass* KRVEWD7BlackBox::MetaObject() {
  static CATMetaClass meta(kClassId, "KRVEWD7BlackBox",
                           CATBaseUnknown::MetaObject(), CATDataExtensionKind,
                           "ASMPRODUCT", "External", &KRVEWD7BlackBox::CreateItself);
  return &meta;
}

const char* KRVEWD7BlackBox::ClassName() { return "KRVEWD7BlackBox"; }
const IID& KRVEWD7BlackBox::ClassId() { return kClassId; }

CATBaseUnknown* KRVEWD7BlackBox::CreateItself() {
  return new (std::nothrow) KRVEWD7BlackBox;
}

CATMetaClass* KRVEWD7BlackBox::GetMetaObject() const { return MetaObject(); }
const char* KRVEWD7BlackBox::IsA() const { return ClassName(); }
int KRVEWD7BlackBox::IsAKindOf(const char* iClassName) const {
  return MetaObject()->IsAKindOf(iClassName);
}

CATBaseUnknown_var KRVEWD7BlackBox::Extended() const {
  return CATBaseUnknown_var(GetImpl());
}

bool KRVEWD7BlackBox::IsInstance() const {
  CATIProduct_var product(Extended());
  return product && product->IsReference() == E_FAIL;
}

CATBaseUnknown_var KRVEWD7BlackBox::ReadTarget() const {
  CATBaseUnknown_var object = Extended();
  CATIProduct_var product(object);
  if (product && product->IsReference() == E_FAIL) {
    CATIProduct_var reference = product->GetReferenceProduct();
    if (reference) return CATBaseUnknown_var(reference);
  }
  return object;
}

HRESULT KRVEWD7BlackBox::CheckBlackBox() {
  CATBoolean is_black_box = 0;
  if (FAILED(IsABlackBox(is_black_box)) || !is_black_box) return E_FAIL;
  return S_OK;
}

HRESULT KRVEWD7BlackBox::IsABlackBox(CATBoolean& oIsBlackBox) {
  oIsBlackBox = 0;
  if (!CATIProduct_var(Extended())) return E_FAIL;
  CATBaseUnknown_var product = ReadTarget();
  // Both parameters are asked, whatever the first answers.
  bool has_note = ReadParameter(product, kNote, nullptr);
  bool has_filename = ReadParameter(product, kPSNFilename, nullptr);
  oIsBlackBox = (has_note || has_filename) ? 1 : 0;
  return S_OK;
}

HRESULT KRVEWD7BlackBox::GetVersion(int& oVersion) {
  oVersion = 0;
  if (FAILED(CheckBlackBox())) return E_FAIL;
  CATUnicodeString text;
  if (KRVWD7UtiPrdServices::GetProperty(ReadTarget(), kVersion, text) != S_OK) {
    oVersion = 1;  // the earlier form had no version
    return S_FALSE;
  }
  int value = 0;
  if (text.ConvertToNum(&value, "%d") != 1) return E_FAIL;
  oVersion = value;
  return S_OK;
}

HRESULT KRVEWD7BlackBox::SetVersion(int iVersion) {
  if (IsInstance()) return E_FAIL;
  return WriteProperty(Extended(), kVersion, FormatInt(iVersion));
}

HRESULT KRVEWD7BlackBox::GetType(int& oType, CATUnicodeString& oPSNPartNumber) {
  oType = 0;
  oPSNPartNumber = CATUnicodeString();
  int version = 0;
  if (GetVersion(version) != S_OK || version != 2) return E_FAIL;
  CATBaseUnknown_var product = ReadTarget();
  CATUnicodeString text;
  bool type_read = false;
  if (KRVWD7UtiPrdServices::GetProperty(product, kType, text) == S_OK) {
    int value = 0;
    type_read = text.ConvertToNum(&value, "%d") == 1;
    oType = type_read ? value : 0;
  }
  HRESULT rc = KRVWD7UtiPrdServices::GetProperty(product, kPSNPartNumber, oPSNPartNumber);
  if (FAILED(rc)) oPSNPartNumber = CATUnicodeString();
  if (!type_read || FAILED(rc)) return E_FAIL;
  return S_OK;
}

HRESULT KRVEWD7BlackBox::SetType(int iType, const CATUnicodeString& iPSNPartNumber) {
  if (iType != 1 && iType != 2) return E_INVALIDARG;
  if (IsInstance()) return E_FAIL;
  CATBaseUnknown_var product = Extended();
  // The part number is written even when the type could not be.
  HRESULT type_rc = WriteProperty(product, kType, FormatInt(iType));
  HRESULT number_rc = WriteProperty(product, kPSNPartNumber, iPSNPartNumber);
  return FAILED(type_rc) || FAILED(number_rc) ? E_FAIL : S_OK;
}

HRESULT KRVEWD7BlackBox::GetNote(CATUnicodeString& oNote) {
  oNote = CATUnicodeString();
  if (FAILED(CheckBlackBox())) return E_FAIL;
  if (!ReadParameter(ReadTarget(), kNote, &oNote)) {
    oNote = CATUnicodeString();
    return S_FALSE;
  }
  return S_OK;
}

HRESULT KRVEWD7BlackBox::SetNote(const CATUnicodeString& iNote) {
  if (IsInstance()) return E_FAIL;
  return WriteParameter(Extended(), kNote, iNote);
}

HRESULT KRVEWD7BlackBox::GetPSNFilename(CATUnicodeString& oPSNFilename) {
  oPSNFilename = CATUnicodeString();
  if (FAILED(CheckBlackBox())) return E_FAIL;
  if (!ReadParameter(ReadTarget(), kPSNFilename, &oPSNFilename)) {
    oPSNFilename = CATUnicodeString();
    return S_FALSE;
  }
  if (!StartsWith(oPSNFilename, "./")) return S_OK;  // stored absolute
  CATUnicodeString directory = DefaultPSNDirectory();
  if (directory.IsEmpty()) return S_OK;  // nothing to expand against
  oPSNFilename = MakeAbsolute(oPSNFilename, directory);
  return S_OK;
}

HRESULT KRVEWD7BlackBox::SetPSNFilename(const CATUnicodeString& iPSNFilename) {
  Trace(">> KRVEWD7BlackBox::SetPSNFilename");
  if (IsInstance()) return E_FAIL;
  CATUnicodeString name = iPSNFilename;
  TraceName("ustrPSNFilename", name);
  CATUnicodeString directory = DefaultPSNDirectory();
  TraceName("ustrPSNDirectory", directory);
  if (!directory.IsEmpty()) MakeRelative(name, directory);
  EnsurePsnExtension(name);
  TraceName("ustrPSNFilename", name);
  HRESULT rc = WriteParameter(Extended(), kPSNFilename, name);
  Trace("<< KRVEWD7BlackBox::SetPSNFilename");
  return rc;
}

HRESULT KRVEWD7BlackBox::SetIsFlatten(CATBoolean iIsFlatten) {
  if (IsInstance()) return E_FAIL;
  return WriteProperty(Extended(), kFlatten, FormatInt(iIsFlatten ? 1 : 0));
}

HRESULT KRVEWD7BlackBox::GetIsFlatten(CATBoolean& oIsFlatten) {
  oIsFlatten = 0;
  if (FAILED(CheckBlackBox())) return E_FAIL;
  CATUnicodeString text;
  if (KRVWD7UtiPrdServices::GetProperty(ReadTarget(), kFlatten, text) != S_OK) {
    return S_OK;  // never flattened
  }
  int value = 0;
  if (text.ConvertToNum(&value, "%d") != 1) return E_FAIL;
  oIsFlatten = static_cast<CATBoolean>(value);  // only 0 and 1 are written
  return S_OK;
}

HRESULT KRVEWD7BlackBox::GetPSNPrintableId(CATUnicodeString& oPSNPrintableId) {
  oPSNPrintableId = CATUnicodeString();
  if (FAILED(CheckBlackBox())) return E_FAIL;
  HRESULT rc =
      KRVWD7UtiPrdServices::GetProperty(ReadTarget(), kPSNPrintableId, oPSNPrintableId);
  if (FAILED(rc)) oPSNPrintableId = CATUnicodeString();
  return rc;
}

HRESULT KRVEWD7BlackBox::SetPSNPrintableId(const CATUnicodeString& iPSNPrintableId) {
  if (IsInstance()) return E_FAIL;
  return WriteProperty(Extended(), kPSNPrintableId, iPSNPrintableId);
}
