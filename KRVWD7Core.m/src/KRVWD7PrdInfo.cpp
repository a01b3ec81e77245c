#include "KRVWD7PrdInfo.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

#include "CATDocument.h"
#include "CATGetSystemInfo.h"
#include "CATILinkableObject.h"
#include "CATIProduct.h"
#include "CATISpecAttrAccess.h"
#include "CATMetaClass.h"
#include "KRVIWD7BlackBoxSettingAtt.h"
#include "KRVWD7CoreInternal.h"
#include "KRVWD7CoreServices.h"
#include "KRVWD7UtiPrdServices.h"
#include "KRVWD7UtiTracer.h"
#include "KRVWD7UtiVPMServices.h"

using krvwd7_core::Trace;
using krvwd7_core::TraceF;

namespace {

const IID IID_KRVWD7PrdInfo = {"KRVWD7PrdInfo"};

const char* const kNodeTypeTexts[] = {
    "Unknown",        "RootProduct", "Component Instance",
    "Product Instance", "Part Instance", "Model Instance",
    "Product",        "Part",        "Model"};

// Field widths of the storage names and of the "CDMAorigin" text.
constexpr int kCompidLength = 16;
constexpr int kCgrCompidOffset = 43;  // after the last path separator
constexpr int kOtherCompidOffset = 16;

// The path separator of the host's system: "\" on the Windows types.
const char* PathSeparator() {
  CATSystemInfo info;
  if (CATGetSystemInfo(&info) != 0) return "/";
  switch (info.OSType) {
    case 4:
    case 5:
    case 6:
    case 8:
      return "\\";
    default:
      return "/";
  }
}

// The text of the "CDMAorigin" attribute of iProduct, "" when there is
// none; traces which step failed.
CATUnicodeString ReadOrigin(const CATBaseUnknown_var& iProduct, bool& oRead) {
  oRead = false;
  CATISpecAttrAccess_var access(iProduct);
  CATISpecAttrKey* key = access ? access->GetAttrKey("CDMAorigin") : nullptr;
  if (key == nullptr) {
    Trace("FAILED to retrieve Attribute Key");
    return CATUnicodeString();
  }
  CATUnicodeString value = access->GetString(key, 0);
  key->Release();
  if (value.GetLengthInChar() == 0) {
    Trace("FAILED to retrieve Attribute Value");
    return value;
  }
  oRead = true;
  return value;
}

// memcpy, with no pointer needed when there is nothing to copy.
void CopyBytes(char* oTarget, const char* iSource, size_t iSize) {
  if (iSize != 0) std::memcpy(oTarget, iSource, iSize);
}

// A copy of iSize bytes at iText; null when there are none.
std::unique_ptr<char[]> CopyOf(const char* iText, size_t iSize) {
  if (iSize == 0) return nullptr;
  std::unique_ptr<char[]> copy(new char[iSize]);
  CopyBytes(copy.get(), iText, iSize);
  return copy;
}

}  // namespace

// --- Construction and copying -----------------------------------------------

KRVWD7PrdInfo::KRVWD7PrdInfo() { Init(); }

KRVWD7PrdInfo::KRVWD7PrdInfo(const KRVWD7PrdInfo& iOther)
    : CATBaseUnknown(iOther),
      product_(iOther.product_),
      position_(iOther.position_),
      node_type_(iOther.node_type_),
      is_black_box_(iOther.is_black_box_),
      texts_(CopyOf(iOther.texts_.get(), iOther.ends_[kTextFields - 1])) {
  std::copy(std::begin(iOther.ends_), std::end(iOther.ends_), ends_);
}

KRVWD7PrdInfo::KRVWD7PrdInfo(KRVWD7PrdInfo&& iOther) noexcept
    : CATBaseUnknown(iOther),
      product_(iOther.product_),
      position_(iOther.position_),
      node_type_(iOther.node_type_),
      is_black_box_(iOther.is_black_box_),
      texts_(std::move(iOther.texts_)) {
  std::copy(std::begin(iOther.ends_), std::end(iOther.ends_), ends_);
  std::fill(std::begin(iOther.ends_), std::end(iOther.ends_), 0);
}

KRVWD7PrdInfo& KRVWD7PrdInfo::operator=(const KRVWD7PrdInfo& iOther) {
  if (this == &iOther) return *this;
  product_ = iOther.product_;
  position_ = iOther.position_;
  node_type_ = iOther.node_type_;
  is_black_box_ = iOther.is_black_box_;
  texts_ = CopyOf(iOther.texts_.get(), iOther.ends_[kTextFields - 1]);
  std::copy(std::begin(iOther.ends_), std::end(iOther.ends_), ends_);
  return *this;
}

KRVWD7PrdInfo::~KRVWD7PrdInfo() = default;

void KRVWD7PrdInfo::Init() {
  product_ = nullptr;
  position_ = KRVWD7UtiPackedPosition();
  node_type_ = 0;
  is_black_box_ = 0;
  texts_.reset();
  std::fill(std::begin(ends_), std::end(ends_), 0);
}

// --- Texts --------------------------------------------------------------------

std::string_view KRVWD7PrdInfo::TextOf(TextField iField) const {
  const uint32_t begin = iField == 0 ? 0 : ends_[iField - 1];
  return std::string_view(texts_.get() + begin, ends_[iField] - begin);
}

CATUnicodeString KRVWD7PrdInfo::Text(TextField iField) const {
  return CATUnicodeString(std::string(TextOf(iField)));
}

void KRVWD7PrdInfo::CopyText(TextField iField, CATUnicodeString& oText) const {
  const std::string_view text = TextOf(iField);
  oText.BuildFromUTF8(text.data(), text.size());
}

void KRVWD7PrdInfo::SetText(TextField iField, std::string_view iValue) {
  const uint32_t begin = iField == 0 ? 0 : ends_[iField - 1];
  const uint32_t old_size = ends_[iField] - begin;
  const uint32_t new_size = static_cast<uint32_t>(iValue.size());
  const uint32_t total = ends_[kTextFields - 1];
  const uint32_t after = total - ends_[iField];
  const uint32_t size = total - old_size + new_size;
  std::unique_ptr<char[]> texts(size == 0 ? nullptr : new char[size]);
  CopyBytes(texts.get(), texts_.get(), begin);
  CopyBytes(texts.get() + begin, iValue.data(), new_size);
  CopyBytes(texts.get() + begin + new_size, texts_.get() + ends_[iField], after);
  texts_ = std::move(texts);
  for (int field = iField; field < kTextFields; ++field) {
    ends_[field] = ends_[field] - old_size + new_size;
  }
}

void KRVWD7PrdInfo::SetTexts(const CATUnicodeString* const iTexts[kTextFields]) {
  size_t total = 0;
  for (int field = 0; field < kTextFields; ++field) total += iTexts[field]->ToStdString().size();
  texts_.reset(total == 0 ? nullptr : new char[total]);
  uint32_t end = 0;
  for (int field = 0; field < kTextFields; ++field) {
    const std::string& text = iTexts[field]->ToStdString();
    CopyBytes(texts_.get() + end, text.data(), text.size());
    end += static_cast<uint32_t>(text.size());
    ends_[field] = end;
  }
}

// --- Fields -------------------------------------------------------------------

HRESULT KRVWD7PrdInfo::GetProduct(CATBaseUnknown_var& oProduct) const {
  oProduct = product_;
  return S_OK;
}

HRESULT KRVWD7PrdInfo::SetProduct(const CATBaseUnknown_var& iProduct) {
  product_ = iProduct;
  return S_OK;
}

HRESULT KRVWD7PrdInfo::GetInstancePath(CATUnicodeString& oPath,
                                       int iSkip) const {
  CopyText(kPath, oPath);
  for (int i = 0; i < iSkip; ++i) {
    const int slash = oPath.SearchSubString("/");
    if (slash < 0) {
      oPath = "";
      return E_FAIL;
    }
    oPath = oPath.SubString(slash + 1, oPath.GetLengthInChar() - slash - 1);
  }
  return S_OK;
}

HRESULT KRVWD7PrdInfo::SetInstancePath(const CATUnicodeString& iPath) {
  SetText(kPath, iPath.ToStdString());
  return S_OK;
}

HRESULT KRVWD7PrdInfo::GetInstanceName(CATUnicodeString& oName) const {
  const CATUnicodeString path = Text(kPath);
  const int slash = path.SearchSubString("/", -1, CATUnicodeString::CATSearchModeBackward);
  if (slash < 0) {
    oName = path;
  } else {
    oName = path.SubString(slash + 1, path.GetLengthInChar() - slash - 1);
  }
  return S_OK;
}

HRESULT KRVWD7PrdInfo::GetVersion(CATUnicodeString& oVersion) const {
  CopyText(kVersion, oVersion);
  return S_OK;
}

HRESULT KRVWD7PrdInfo::SetVersion(const CATUnicodeString& iVersion) {
  SetText(kVersion, iVersion.ToStdString());
  return S_OK;
}

HRESULT KRVWD7PrdInfo::GetRevision(CATUnicodeString& oRevision) const {
  CopyText(kRevision, oRevision);
  return S_OK;
}

HRESULT KRVWD7PrdInfo::SetRevision(const CATUnicodeString& iRevision) {
  SetText(kRevision, iRevision.ToStdString());
  return S_OK;
}

HRESULT KRVWD7PrdInfo::GetPartNumber(CATUnicodeString& oPartNumber) const {
  CopyText(kPartNumber, oPartNumber);
  return S_OK;
}

HRESULT KRVWD7PrdInfo::GetPosition(CATMathTransformation& oPosition) const {
  oPosition = position_.Get();
  return S_OK;
}

HRESULT KRVWD7PrdInfo::SetPosition(const CATMathTransformation& iPosition) {
  position_.Set(iPosition);
  return S_OK;
}

HRESULT KRVWD7PrdInfo::GetNodeType(int& oType) const {
  oType = node_type_;
  return S_OK;
}

HRESULT KRVWD7PrdInfo::SetNodeType(int iType) {
  if (iType < 0 || iType > 8) return E_INVALIDARG;
  node_type_ = iType;
  return S_OK;
}

HRESULT KRVWD7PrdInfo::GetIsBlackBox(unsigned char& oIsBlackBox) const {
  oIsBlackBox = is_black_box_;
  return S_OK;
}

HRESULT KRVWD7PrdInfo::SetIsBlackBox(unsigned char iIsBlackBox) {
  is_black_box_ = iIsBlackBox;
  return S_OK;
}

HRESULT KRVWD7PrdInfo::GetPrintableId(CATUnicodeString& oId, int) const {
  CopyText(kPrintableId, oId);
  return S_OK;
}

HRESULT KRVWD7PrdInfo::SetPrintableId(CATUnicodeString iId) {
  SetText(kPrintableId, iId.ToStdString());
  return S_OK;
}

HRESULT KRVWD7PrdInfo::GetPDMEnv(CATUnicodeString& oEnv) const {
  CopyText(kPdmEnv, oEnv);
  return S_OK;
}

HRESULT KRVWD7PrdInfo::SetPDMEnv(const CATUnicodeString& iEnv) {
  SetText(kPdmEnv, iEnv.ToStdString());
  return S_OK;
}

HRESULT KRVWD7PrdInfo::GetDocCompid(CATUnicodeString& oCompid) const {
  CopyText(kDocCompid, oCompid);
  return S_OK;
}

HRESULT KRVWD7PrdInfo::SetDocCompid(const CATUnicodeString& iCompid) {
  SetText(kDocCompid, iCompid.ToStdString());
  return S_OK;
}

HRESULT KRVWD7PrdInfo::GetDocDisplayName(CATUnicodeString& oName) const {
  CopyText(kDocDisplayName, oName);
  return S_OK;
}

HRESULT KRVWD7PrdInfo::SetDocDisplayName(const CATUnicodeString& iName) {
  SetText(kDocDisplayName, iName.ToStdString());
  return S_OK;
}

// --- Comparisons ----------------------------------------------------------------

int KRVWD7PrdInfo::operator==(const KRVWD7PrdInfo& iOther) const {
  if (this == &iOther) return 1;
  const std::string_view id = TextOf(kPrintableId);
  const std::string_view other_id = iOther.TextOf(kPrintableId);
  if (!id.empty() && !other_id.empty()) return id == other_id ? 1 : 0;
  if (id.empty() != other_id.empty()) return 0;
  return TextOf(kPath) == iOther.TextOf(kPath) ? 1 : 0;
}

int KRVWD7PrdInfo::operator!=(const KRVWD7PrdInfo& iOther) const {
  return (*this == iOther) ? 0 : 1;
}

int KRVWD7PrdInfo::operator<=(const KRVWD7PrdInfo& iOther) const {
  if (this == &iOther) return 1;
  return TextOf(kPath) <= iOther.TextOf(kPath) ? 1 : 0;
}

int KRVWD7PrdInfo::operator>=(const KRVWD7PrdInfo& iOther) const {
  if (this == &iOther) return 1;
  return TextOf(kPath) >= iOther.TextOf(kPath) ? 1 : 0;
}

int KRVWD7PrdInfo::operator<(const KRVWD7PrdInfo& iOther) const {
  if (this == &iOther) return 0;
  return TextOf(kPath) >= iOther.TextOf(kPath) ? 0 : 1;
}

int KRVWD7PrdInfo::operator>(const KRVWD7PrdInfo& iOther) const {
  if (this == &iOther) return 0;
  return TextOf(kPath) <= iOther.TextOf(kPath) ? 0 : 1;
}

// --- Dump ---------------------------------------------------------------------

const char* KRVWD7PrdInfo::NodeTypeText(int iType) {
  if (iType < 1 || iType > 8) return kNodeTypeTexts[0];
  return kNodeTypeTexts[iType];
}

void KRVWD7PrdInfo::Dump() const {
  CATUnicodeString name;
  GetInstanceName(name);
  TraceF("\tInstance Name: %s", name.ConvertToChar());
  TraceF("\tNode Type    : %s", NodeTypeText(node_type_));
  TraceF("\tPath         : %s", Text(kPath).ConvertToChar());
  TraceF("\tVersion      : %s", Text(kVersion).ConvertToChar());
  TraceF("\tRevision     : %s", Text(kRevision).ConvertToChar());
  TraceF("\tPartNumber   : %s", Text(kPartNumber).ConvertToChar());
  TraceF("\tCLink        : %s", Text(kPrintableId).ConvertToChar());
  TraceF("\tIsABlackBox  : %s", is_black_box_ == 1 ? "YES" : "NO");
  double c[12];
  position_.Get().GetCoef(c);
  TraceF("\tPosition     : %g %g %g %g %g %g %g %g %g %g %g %g", c[0], c[1],
         c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[9], c[10], c[11]);
}

// --- Reading from the host ----------------------------------------------------

HRESULT KRVWD7PrdInfo::GetPrdAttribute(const CATBaseUnknown_var& iProduct,
                                       int iIndex, CATUnicodeString& oValue) {
  oValue = "";
  if (!iProduct) return E_INVALIDARG;
  switch (iIndex) {
    case 0:
      return KRVWD7UtiPrdServices::GetPartNumber(iProduct, oValue);
    case 1:
      return KRVWD7UtiPrdServices::GetRevision(iProduct, oValue);
    case 2:
      return KRVWD7UtiPrdServices::GetDefinition(iProduct, oValue);
    case 3:
      return KRVWD7UtiPrdServices::GetNomenclature(iProduct, oValue);
    case 5:
      return KRVWD7UtiPrdServices::GetDescriptionRef(iProduct, oValue);
    default:  // 4 names no attribute
      return E_FAIL;
  }
}

HRESULT KRVWD7PrdInfo::ReadVersion(const CATBaseUnknown_var& iProduct,
                                   CATUnicodeString& oVersion) {
  krvwd7_core::SettingsHandle settings;
  if (!settings) return E_FAIL;
  HRESULT rc = E_FAIL;
  int source = 0;
  if (SUCCEEDED(settings->GetVersionSource(source))) {
    if (source == 1) {
      int attribute = 0;
      if (SUCCEEDED(settings->GetVersionAttribute(attribute))) {
        rc = GetPrdAttribute(iProduct, attribute, oVersion);
      }
    } else if (source == 2) {
      CATUnicodeString property;
      if (SUCCEEDED(settings->GetVersionProperty(property))) {
        rc = KRVWD7UtiPrdServices::GetPrdProperty(iProduct, property, oVersion);
      }
    }
  }
  return rc;
}

HRESULT KRVWD7PrdInfo::ReadRevision(const CATBaseUnknown_var& iProduct,
                                    CATUnicodeString& oRevision) {
  krvwd7_core::SettingsHandle settings;
  if (!settings) return E_FAIL;
  HRESULT rc = E_FAIL;
  int source = 0;
  if (SUCCEEDED(settings->GetRevisionSource(source))) {
    if (source == 1) {
      int attribute = 0;
      if (SUCCEEDED(settings->GetRevisionAttribute(attribute))) {
        rc = GetPrdAttribute(iProduct, attribute, oRevision);
      }
    } else if (source == 2) {
      CATUnicodeString property;
      if (SUCCEEDED(settings->GetRevisionProperty(property)) &&
          property.GetLengthInChar() > 0) {
        rc = KRVWD7UtiPrdServices::GetPrdProperty(iProduct, property,
                                                  oRevision);
      } else {
        // No property named: the revision of the product's model in VPM.
        rc = KRVWD7UtiVPMServices::GetModelRevision(iProduct, oRevision);
      }
    }
  }
  return rc;
}

HRESULT KRVWD7PrdInfo::GetVersionOrRevision(const CATBaseUnknown_var& iProduct,
                                            int iSelector,
                                            CATUnicodeString& oValue) {
  if (!iProduct || (iSelector != 0 && iSelector != 1)) return E_INVALIDARG;
  oValue = "";
  HRESULT rc = iSelector == 0 ? ReadVersion(iProduct, oValue)
                              : ReadRevision(iProduct, oValue);
  if (FAILED(rc)) oValue = "";
  return rc;
}

HRESULT KRVWD7PrdInfo::RetrieveInfo(const CATBaseUnknown_var& iProduct,
                                    const CATBaseUnknown_var& iRoot,
                                    unsigned char iFromStoredIdentity) {
  Init();
  if (!iProduct || !iRoot) return E_INVALIDARG;
  product_ = iProduct;
  bool failed = false;
  // Each reading falls back to the field's default on failure.
  auto note = [&failed](HRESULT rc) {
    if (FAILED(rc)) failed = true;
    return SUCCEEDED(rc);
  };

  if (!note(KRVWD7UtiPrdServices::GetNodeType(iProduct, node_type_))) {
    node_type_ = 0;
  }
  CATUnicodeString version, revision, path, part_number, printable_id, pdm_env, compid,
      display_name;
  if (!note(ReadVersion(iProduct, version))) version = "";
  // Unknown nodes and component instances carry no revision.
  if (node_type_ != 0 && node_type_ != 2) {
    if (!note(ReadRevision(iProduct, revision))) revision = "";
  }
  CATMathTransformation position;
  if (!note(KRVWD7UtiPrdServices::GetPosition(iProduct, position))) {
    position = CATMathTransformation();
  }
  position_.Set(position);
  if (!note(KRVWD7UtiPrdServices::GetInstancePath(iProduct, iRoot, path))) path = "";
  if (!note(KRVWD7UtiPrdServices::GetPartNumber(iProduct, part_number))) part_number = "";
  CATBoolean is_black_box = 0;
  if (note(KRVWD7CoreServices::CheckIsBlackBox(iProduct, is_black_box))) {
    is_black_box_ = is_black_box ? 1 : 0;
  }
  HRESULT rc;
  if (iFromStoredIdentity == 1) {
    rc = KRVWD7UtiPrdServices::GetProperty(iProduct, "BBPrintableId", printable_id);
  } else {
    rc = KRVWD7UtiVPMServices::GetPrintableId(iProduct, printable_id);
  }
  if (!note(rc)) printable_id = "";
  if (iFromStoredIdentity == 1) {
    rc = KRVWD7UtiPrdServices::GetProperty(iProduct, "BBVpmEnv", pdm_env);
  } else {
    rc = KRVWD7UtiVPMServices::GetInstanceEnvPath(iProduct, pdm_env);
  }
  if (!note(rc)) pdm_env = "";
  if (!note(GetDocCompid(iProduct, compid))) compid = "";
  if (!note(GetDocDisplayName(iProduct, display_name))) display_name = "";
  const CATUnicodeString* const texts[kTextFields] = {
      &path, &version, &revision, &part_number, &printable_id, &pdm_env, &compid, &display_name};
  SetTexts(texts);
  return failed ? E_FAIL : S_OK;
}

HRESULT KRVWD7PrdInfo::GetDocCompid(const CATBaseUnknown_var& iProduct,
                                    CATUnicodeString& oCompid) {
  oCompid = "";
  if (!iProduct) return E_INVALIDARG;
  CATIProduct_var product(iProduct);
  if (!product) return E_FAIL;
  CATBaseUnknown_var rep;
  HRESULT rc = product->GetShapeRep(rep, "Default", 0, 1, 0);
  if (FAILED(rc) || !rep) return S_FALSE;
  CATILinkableObject_var linkable(rep);
  CATDocument* document = linkable ? linkable->GetDocument() : nullptr;
  if (document == nullptr) return E_FAIL;

  // Fields beyond the end of a short name come out empty (SubString clamps).
  const CATUnicodeString storage = document->StorageName();
  const int length = storage.GetLengthInChar();
  if (length >= 4 && storage.SubString(length - 4, 4) == ".cgr") {
    // <dir><sep> 8 chars, 18 chars, 16 chars, 16 chars (the compid) .cgr
    const int separator = storage.SearchSubString(
        PathSeparator(), -1, CATUnicodeString::CATSearchModeBackward);
    oCompid = storage.SubString(separator + kCgrCompidOffset, kCompidLength);
  } else {
    // 16 chars, 16 chars (the compid), 8 chars, 18 chars
    oCompid = storage.SubString(kOtherCompidOffset, kCompidLength);
  }
  return S_OK;
}

HRESULT KRVWD7PrdInfo::GetDocDisplayName(const CATBaseUnknown_var& iProduct,
                                         CATUnicodeString& oName) {
  oName = "";
  if (!iProduct) return E_INVALIDARG;
  CATIProduct_var product(iProduct);
  if (!product) return S_FALSE;
  if (FAILED(product->IsReference())) product = product->GetReferenceProduct();
  CATILinkableObject_var linkable(product);
  CATDocument* document = linkable ? linkable->GetDocument() : nullptr;
  if (document == nullptr) return S_FALSE;

  CATIDocId* id = nullptr;
  CATIDocEnvironment* environment = nullptr;
  HRESULT rc = S_FALSE;
  if (SUCCEEDED(document->GetDocId(&id)) && id != nullptr &&
      SUCCEEDED(document->GetDocEnvironment(&environment)) &&
      environment != nullptr) {
    rc = environment->GetDisplayName(id, oName);
    if (FAILED(rc)) {
      oName = "";
      rc = S_FALSE;
    }
  }
  if (id) id->Release();
  if (environment) environment->Release();
  return rc;
}

HRESULT KRVWD7PrdInfo::GetVPMInfo(CATBaseUnknown_var iProduct,
                                  CATUnicodeString& oCoid,
                                  CATUnicodeString& oEnv,
                                  CATUnicodeString& oTable,
                                  CATUnicodeString& oCoidFat,
                                  CATUnicodeString& oEnvFat,
                                  CATUnicodeString& oTableFat,
                                  CATUnicodeString& oLink) const {
  CATIProduct_var product(iProduct);
  if (!product) {
    Trace("FAILED! No Selected Element");
    return S_FALSE;
  }
  oCoid = oEnv = oTable = oCoidFat = oEnvFat = oTableFat = oLink = "";

  // "CDMAorigin": COID 0-15, link 16-31, environment 32-39, table 40-57.
  CATIProduct_var reference = product;
  if (FAILED(product->IsReference())) {
    reference = product->GetReferenceProduct();
  }
  if (!reference) {
    Trace("FAILED to get Reference Product");
  } else {
    bool read = false;
    CATUnicodeString origin = ReadOrigin(reference, read);
    if (read) {
      oCoid = origin.SubString(0, 16);
      oEnv = origin.SubString(32, 8);
      oTable = origin.SubString(40, 18);
    }
  }

  bool read = false;
  CATUnicodeString origin = ReadOrigin(product, read);
  if (!read) return S_FALSE;
  oCoidFat = origin.SubString(0, 16);
  oLink = origin.SubString(16, 16);
  oEnvFat = origin.SubString(32, 8);
  oTableFat = "PART_LIST";
  return S_OK;
}

// --- Class information -----------------------------------------------------------

CATMetaClass* KRVWD7PrdInfo::MetaObject() {
  static CATMetaClass meta(IID_KRVWD7PrdInfo, "KRVWD7PrdInfo",
                           CATBaseUnknown::MetaObject(), CATImplementationKind,
                           "CATNull", "External", &KRVWD7PrdInfo::CreateItself);
  return &meta;
}

const char* KRVWD7PrdInfo::ClassName() { return "KRVWD7PrdInfo"; }
const IID& KRVWD7PrdInfo::ClassId() { return IID_KRVWD7PrdInfo; }
CATBaseUnknown* KRVWD7PrdInfo::CreateItself() { return nullptr; }
CATMetaClass* KRVWD7PrdInfo::GetMetaObject() const { return MetaObject(); }
const char* KRVWD7PrdInfo::IsA() const { return ClassName(); }

int KRVWD7PrdInfo::IsAKindOf(const char* iClassName) const {
  return GetMetaObject()->IsAKindOf(iClassName);
}
