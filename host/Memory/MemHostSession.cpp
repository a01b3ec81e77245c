// The embedding program's view of the in-memory host.
#include "HostSession.h"

#include "MemFaults.h"
#include "MemSession.h"

bool HostSession::Load(const std::string& iPath, std::string& oError) {
  MemResult loaded = MemSession::Current().Load(iPath);
  if (!loaded) oError = loaded.error;
  return loaded.ok;
}

bool HostSession::Save(const std::string& iPath, std::string& oError) {
  MemResult saved = MemSession::Current().Save(iPath);
  if (!saved) oError = saved.error;
  return saved.ok;
}

void HostSession::Close() {
  MemSession::Current().Close();
  MemFaults::Clear();
}

std::vector<CATDocument*> HostSession::ProductDocuments() {
  std::vector<CATDocument*> documents;
  for (MemDocument* document : MemSession::Current().ProductDocuments()) {
    documents.push_back(document);
  }
  return documents;
}

std::string HostSession::NameOf(CATDocument* iDocument) {
  const MemDocument* document = MemDocument::From(iDocument);
  return document ? document->Name() : std::string();
}

CATDocument* HostSession::FindProductDocument(const std::string& iName) {
  for (MemDocument* document : MemSession::Current().ProductDocuments()) {
    if (document->Name() == iName || document->Storage() == iName) {
      return document;
    }
  }
  return nullptr;
}
