#include "Pairs.h"

#include <vector>

#include "HostSession.h"
#include "KRVWD7CoreServices.h"
#include "Structures.h"

namespace krvwd7 {

namespace {

CATDocument* FindBlackBoxDocument() {
  for (CATDocument* doc : HostSession::ProductDocuments()) {
    if (ReadBlackBox(RootOf(doc)).isBlackBox) return doc;
  }
  return nullptr;
}

// The PSN of a black box: the document whose root carries its PSN printable
// id, or else the only other product document.
CATDocument* FindPsnDocument(CATDocument* iBB) {
  CATDocument* found = nullptr;
  const std::vector<CATDocument*> documents = HostSession::ProductDocuments();
  if (KRVWD7CoreServices::RetrieveAssociatedPSNDoc(RootOf(iBB), found) == 0) {
    for (CATDocument* doc : documents) {
      if (doc == found) return doc;
    }
  }
  std::vector<CATDocument*> others;
  for (CATDocument* doc : documents) {
    if (doc != iBB) others.push_back(doc);
  }
  return others.size() == 1 ? others.front() : nullptr;
}

}  // namespace

DocumentPair ChooseDocuments(const std::string& iSession, const std::string& iBB,
                             const std::string& iPSN) {
  DocumentPair pair;
  const std::string& file = iSession;
  if (!iBB.empty()) {
    pair.bb = HostSession::FindProductDocument(iBB);
    if (!pair.bb) pair.error = file + ": no product document named '" + iBB + "'";
  } else {
    pair.bb = FindBlackBoxDocument();
    if (!pair.bb) pair.error = file + ": the session holds no black box";
  }
  if (!pair.bb) return pair;
  if (!iPSN.empty()) {
    pair.psn = HostSession::FindProductDocument(iPSN);
    if (!pair.psn) pair.error = file + ": no product document named '" + iPSN + "'";
  } else {
    pair.psn = FindPsnDocument(pair.bb);
    if (!pair.psn) {
      pair.error = file + ": cannot tell which document is the PSN of '" +
                   HostSession::NameOf(pair.bb) + "' (use --psn)";
    }
  }
  if (pair.psn == pair.bb) pair.error = file + ": the black box and the PSN are the same document";
  return pair;
}

CATDocument* ChooseBlackBox(const std::string& iSession, const std::string& iBB,
                            std::string& oError) {
  oError.clear();
  CATDocument* document = iBB.empty() ? FindBlackBoxDocument()
                                      : HostSession::FindProductDocument(iBB);
  if (document == nullptr) {
    oError = iSession + (iBB.empty() ? ": the session holds no black box"
                                     : ": no product document named '" + iBB + "'");
  }
  return document;
}

CATDocument* FindBlackBoxOf(CATDocument* iPSN) {
  std::vector<CATDocument*> black_boxes;
  for (CATDocument* doc : HostSession::ProductDocuments()) {
    if (doc == iPSN || !ReadBlackBox(RootOf(doc)).isBlackBox) continue;
    CATDocument* psn = nullptr;
    if (KRVWD7CoreServices::RetrieveAssociatedPSNDoc(RootOf(doc), psn) == 0 && psn == iPSN) {
      return doc;
    }
    black_boxes.push_back(doc);
  }
  return black_boxes.size() == 1 ? black_boxes.front() : nullptr;
}

}  // namespace krvwd7
