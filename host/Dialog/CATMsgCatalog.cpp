#include "CATMsgCatalog.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <unordered_map>

#include "CATGetEnv.h"

namespace {

typedef std::unordered_map<std::string, std::string> Texts;

std::map<std::string, Texts>& Cache() {
  static auto* cache = new std::map<std::string, Texts>();
  return *cache;
}

std::string CatalogDirectory() {
  const char* dir = CATGetEnv("KRVWD7_CATALOGS");
  if (dir && *dir) return dir;
  return KRVWD7_HOST_RESOURCES;
}

void SkipBlanks(const std::string& iLine, size_t& ioPos) {
  while (ioPos < iLine.size() && (iLine[ioPos] == ' ' || iLine[ioPos] == '\t')) ++ioPos;
}

// Parses `Key = "text";` (with an optional trailing comment). False when the
// line has another form.
bool ParseLine(const std::string& iLine, std::string& oKey, std::string& oText) {
  size_t pos = 0;
  SkipBlanks(iLine, pos);
  size_t start = pos;
  while (pos < iLine.size() && iLine[pos] != '=' && iLine[pos] != ' ' &&
         iLine[pos] != '\t') {
    ++pos;
  }
  oKey = iLine.substr(start, pos - start);
  SkipBlanks(iLine, pos);
  if (oKey.empty() || pos >= iLine.size() || iLine[pos] != '=') return false;
  ++pos;
  SkipBlanks(iLine, pos);
  if (pos >= iLine.size() || iLine[pos] != '"') return false;
  ++pos;
  oText.clear();
  for (;; ++pos) {
    if (pos >= iLine.size()) return false;  // no closing quote
    char c = iLine[pos];
    if (c == '"') break;
    if (c == '\\' && pos + 1 < iLine.size()) {
      char next = iLine[++pos];
      oText += next == 'n' ? '\n' : next;
      continue;
    }
    oText += c;
  }
  ++pos;
  SkipBlanks(iLine, pos);
  if (pos >= iLine.size() || iLine[pos] != ';') return false;
  ++pos;
  SkipBlanks(iLine, pos);
  return pos == iLine.size() || iLine.compare(pos, 2, "//") == 0;
}

// Catalogs are cached by file path, so that pointing KRVWD7_CATALOGS at
// another directory reads that directory's files.
const Texts* Catalog(const std::string& iName) {
  std::string path = CatalogDirectory() + "/" + iName + ".CATNls";
  auto& cache = Cache();
  auto found = cache.find(path);
  if (found != cache.end()) return &found->second;
  Texts& texts = cache[path];
  std::ifstream in(path);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line.compare(first, 2, "//") == 0) continue;
    std::string key, text;
    if (!ParseLine(line, key, text)) {
      std::fprintf(stderr, "%s:%d: not a catalog line (Key = \"text\";), skipped\n",
                   path.c_str(), number);
      continue;
    }
    texts.emplace(key, text);  // the first definition wins
  }
  return &texts;
}

}  // namespace

CATUnicodeString CATMsgCatalog::SubstituteParameters(const CATUnicodeString& iText,
                                                     const CATUnicodeString* iParams,
                                                     int iNbParams) {
  const std::string& text = iText.ToStdString();
  if (iParams == nullptr || iNbParams <= 0 || text.find("/P") == std::string::npos) {
    return iText;
  }
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '/' && i + 2 < text.size() && text[i + 1] == 'P' &&
        text[i + 2] >= '1' && text[i + 2] <= '9' && text[i + 2] - '0' <= iNbParams) {
      out += iParams[text[i + 2] - '1'].ToStdString();
      i += 2;
      continue;
    }
    out += text[i];
  }
  return out;
}

CATUnicodeString CATMsgCatalog::BuildMessage(const CATString& iCatalog,
                                             const CATString& iKey,
                                             const CATUnicodeString* iParams,
                                             int iNbParams,
                                             const CATUnicodeString& iDefault) {
  const Texts* texts = Catalog(iCatalog.ToStdString());
  auto found = texts->find(iKey.ToStdString());
  const CATUnicodeString text =
      found == texts->end() ? iDefault : CATUnicodeString(found->second);
  return SubstituteParameters(text, iParams, iNbParams < 9 ? iNbParams : 9);
}

int CATMsgCatalog::HasKey(const CATString& iCatalog, const CATString& iKey) {
  return Catalog(iCatalog.ToStdString())->count(iKey.ToStdString()) ? 1 : 0;
}

void CATMsgCatalog::ClearCache() { Cache().clear(); }
