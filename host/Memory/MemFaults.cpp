#include "MemFaults.h"

#include "MemProduct.h"

namespace {

// The declared faults. A plain flag answers the common case (no fault at
// all) without touching the vector.
std::vector<MemFault>& Faults() {
  static std::vector<MemFault>* faults = new std::vector<MemFault>();
  return *faults;
}
bool g_any_fault = false;

bool MatchesProduct(const MemFault& iFault, const MemProduct* iProduct) {
  if (iFault.product.empty()) return true;
  if (iProduct == nullptr) return false;
  return iFault.product == iProduct->InstanceName() ||
         iFault.product == iProduct->PartNumber();
}

bool HitImpl(const char* iOp, const MemProduct* iProduct, HRESULT& oRc) {
  bool answered = false;
  for (MemFault& fault : Faults()) {
    if (fault.op != iOp) continue;
    if (!MatchesProduct(fault, iProduct)) continue;
    ++fault.seen;
    if (answered) continue;  // later faults still count the call
    if (fault.call == 0 || fault.call == fault.seen) {
      ++fault.hits;
      oRc = fault.rc;
      answered = true;
    }
  }
  return answered;
}

}  // namespace

void MemFaults::Add(const std::string& iOp, HRESULT iRc,
                    const std::string& iProduct, int iCall) {
  MemFault fault;
  fault.op = iOp;
  fault.rc = iRc;
  fault.product = iProduct;
  fault.call = iCall < 0 ? 0 : iCall;
  Faults().push_back(fault);
  g_any_fault = true;
}

void MemFaults::Clear() {
  Faults().clear();
  g_any_fault = false;
}

bool MemFaults::Hit(const char* iOp, const CATBaseUnknown_var& iProduct,
                    HRESULT& oRc) {
  if (!g_any_fault || iOp == nullptr) return false;
  return HitImpl(iOp, MemProduct::From(iProduct), oRc);
}

bool MemFaults::Hit(const char* iOp, HRESULT& oRc) {
  if (!g_any_fault || iOp == nullptr) return false;
  return HitImpl(iOp, nullptr, oRc);
}

int MemFaults::Hits(const std::string& iOp) {
  int hits = 0;
  for (const MemFault& fault : Faults()) {
    if (fault.op == iOp) hits += fault.hits;
  }
  return hits;
}

const std::vector<MemFault>& MemFaults::All() { return Faults(); }
