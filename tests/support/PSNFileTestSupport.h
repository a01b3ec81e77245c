// Test support of the PSN file writer: the plain forms of its two
// quadratic steps (written the way the file format describes them, with
// the host's text operations), a plain form of the substitution that keeps
// entity references final, temporary folders, and a generated black box
// with an old PSN file. Header-only: the tests, the fuzz target and the
// benchmark share it.
#ifndef KRVWD7_TESTS_PSNFILETESTSUPPORT_H_
#define KRVWD7_TESTS_PSNFILETESTSUPPORT_H_

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "CATListValCATUnicodeString.h"
#include "CATUnicodeString.h"
#include "CATUtf8.h"
#include "MemBuilder.h"
#include "MemSession.h"

namespace krvwd7_test {

// --- Plain forms --------------------------------------------------------------------

// For each identifier in turn, every text's ReplaceAll of it by its
// entity reference: (identifiers x texts).
inline void PlainReplaceLinks(const std::vector<std::string_view>& iLinks, int iFirstEntity,
                              const std::vector<std::string*>& ioTexts) {
  for (size_t k = 0; k < iLinks.size(); ++k) {
    const CATUnicodeString link{std::string(iLinks[k])};
    const CATUnicodeString entity("#" + std::to_string(iFirstEntity + static_cast<int>(k)));
    for (std::string* text : ioTexts) {
      CATUnicodeString replaced(*text);
      if (replaced.ReplaceAll(link, entity) > 0) *text = replaced.ToStdString();
    }
  }
}

// For each selected list, each collapsed part in turn, removed when the
// list holds its copy without "1,(", "2,(" and "),()"; the part that moves
// into its place is examined next: (selected lists x parts).
inline void PlainDropCovered(const std::vector<std::string>& iSelected,
                             std::vector<std::string>& ioParts) {
  CATListValCATUnicodeString parts;
  for (const std::string& part : ioParts) parts.Append(CATUnicodeString(part));
  for (const std::string& selected_text : iSelected) {
    const CATUnicodeString selected(selected_text);
    for (int m = 1; m <= parts.Size();) {
      CATUnicodeString copy = parts[m];
      for (const char* marker : {"1,(", "2,(", "),()"}) {
        const int at = copy.SearchSubString(marker);
        if (at >= 0) copy.Remove(at, CATUnicodeString(marker).GetLengthInChar());
      }
      if (selected.SearchSubString(copy) >= 0) {
        parts.RemovePosition(m);
      } else {
        ++m;
      }
    }
  }
  ioParts.clear();
  for (int m = 1; m <= parts.Size(); ++m) ioParts.push_back(parts[m].ToStdString());
}

// The substitution with every reference put in final, one byte at a time:
// a byte put in by an earlier identifier is never part of a later match,
// and matches start and end where the host sees characters start in the
// first text (the original bytes keep their decoding; see CATUtf8.h).
inline void FinalReferencesReplaceLinks(const std::vector<std::string_view>& iLinks,
                                        int iFirstEntity,
                                        const std::vector<std::string*>& ioTexts) {
  for (std::string* text : ioTexts) {
    std::vector<char> starts(text->size() + 1, 0);
    for (size_t i = 0; i < text->size(); i += CATUtf8::CharLength(*text, i)) starts[i] = 1;
    starts[text->size()] = 1;
    std::string bytes = *text;
    std::vector<long> original(bytes.size());  // place in the first text, -1 put in
    for (size_t i = 0; i < bytes.size(); ++i) original[i] = static_cast<long>(i);
    for (size_t k = 0; k < iLinks.size(); ++k) {
      const std::string link(iLinks[k]);
      if (link.empty()) continue;
      const std::string entity = "#" + std::to_string(iFirstEntity + static_cast<int>(k));
      std::string out;
      std::vector<long> out_original;
      size_t p = 0;
      while (p < bytes.size()) {
        bool match = p + link.size() <= bytes.size() && bytes.compare(p, link.size(), link) == 0;
        for (size_t q = p; match && q < p + link.size(); ++q) match = original[q] >= 0;
        match = match && starts[original[p]] && starts[original[p + link.size() - 1] + 1];
        if (match) {
          out += entity;
          out_original.insert(out_original.end(), entity.size(), -1);
          p += link.size();
        } else {
          out += bytes[p];
          out_original.push_back(original[p]);
          ++p;
        }
      }
      bytes.swap(out);
      original.swap(out_original);
    }
    *text = bytes;
  }
}

// Views of iTexts, for the steps that take identifiers as views.
inline std::vector<std::string_view> Views(const std::vector<std::string>& iTexts) {
  return std::vector<std::string_view>(iTexts.begin(), iTexts.end());
}

// --- Files ---------------------------------------------------------------------------------

// A new empty folder, removed with its content at the end of the scope.
class TempFolder {
 public:
  TempFolder() {
    std::string name = (std::filesystem::temp_directory_path() / "krvwd7-psn-XXXXXX").string();
    path_ = mkdtemp(&name[0]) ? name : "";
  }
  ~TempFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& iName) const { return path_ + "/" + iName; }
  // The names of the files in the folder, sorted.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::string path_;
};

inline std::string ReadFile(const std::string& iPath) {
  std::ifstream in(iPath, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& iPath, const std::string& iText) {
  std::ofstream(iPath, std::ios::binary) << iText;
}

// --- A generated black box ---------------------------------------------------------------

// The fixed-field VPM storage name of a document (COID, compid,
// environment, table).
inline std::string VpmStorage(uint64_t iCoid, uint64_t iCompid, std::string iTable) {
  iTable.resize(18, ' ');
  return MemBuilder::Hex16(iCoid) + MemBuilder::Hex16(iCompid) + "VPMENV  " + iTable;
}

// A cached graphic's storage name: folder, then environment, table, COID,
// compid and ".cgr".
inline std::string CgrStorage(const std::string& iFolder, uint64_t iCoid, uint64_t iCompid,
                              std::string iTable) {
  iTable.resize(18, ' ');
  return iFolder + "VPMENV  " + iTable + MemBuilder::Hex16(iCoid) + MemBuilder::Hex16(iCompid) +
         ".cgr";
}

// The root of a black box (version 2, type 1) whose PSN file is
// iOldFile: document "BB.CATProduct", the editor made current.
inline MemProduct* NewBlackBox(MemSession& ioSession, const std::string& iOldFile) {
  MemDocument* document = MemBuilder(ioSession).Document("BB.CATProduct", "BB", true);
  MemProduct* root = document->Root();
  root->AddParm("BBNote", "generated");
  if (!iOldFile.empty()) root->AddParm("BBPSNFilename", iOldFile);
  root->Properties().Set("BBVersion", "2");
  root->Properties().Set("BBType", "1");
  root->Properties().Set("BBPSNPartNumber", "BB");
  root->Properties().Set("BBPSNPrintableId", MemBuilder::PrintableId(0x1, {}, "PSNENV"));
  ioSession.SetCurrentEditor(document->Editor());
  return root;
}

// A component below iFather with the printable id of iLinks (none: no
// "BBPrintableId") and a "Default" representation in a document stored as
// iStorage (none: no representation).
inline MemProduct* NewComponent(MemSession& ioSession, MemProduct* iFather,
                                const std::string& iName, const std::vector<uint64_t>& iLinks,
                                const std::string& iStorage, bool iWithId = true) {
  MemProduct* component = ioSession.NewComponent(iFather, iName, iName, MemKind::kPart);
  if (iWithId) component->Properties().Set("BBPrintableId", MemBuilder::PrintableId(0x10, iLinks));
  if (!iStorage.empty()) {
    ioSession.ShapeDocument(iStorage);
    component->Reference()->AddShape(MemShape{"Default", iStorage, "/shapes/" + iName});
  }
  return component;
}

// A black box of iCount components with about three links each (a shared
// top and middle link, then its own), a twentieth without a printable id,
// one in fifty without a document, documents as models, documents and
// cached graphics; and its old PSN file at iOldFile: for every third
// component its own and middle links (middle links repeat) and a link the
// black box no longer has, and iCount / 10 collapsed parts: half of them
// an own and middle pair that the component's selected object covers, the
// others with a link that is gone, or a reference that names no link.
inline void GenerateBlackBox(MemSession& ioSession, int iCount, const std::string& iOldFile) {
  MemProduct* root = NewBlackBox(ioSession, iOldFile);
  auto top = [](int i) { return uint64_t{0x100000} + i / 1000; };
  auto middle = [](int i) { return uint64_t{0x200000} + i / 30; };
  auto own = [](int i) { return uint64_t{0x300000} + i; };
  for (int i = 0; i < iCount; ++i) {
    std::string storage;
    if (i % 50 != 7) {
      const char* table = i % 3 == 0 ? "CAD_MODEL" : "DOCUMENT";
      storage = i % 7 == 0 ? CgrStorage("/cache/", 0xD000 + i, 0xC000 + i, table)
                           : VpmStorage(0xD000 + i, 0xC000 + i, table);
    }
    NewComponent(ioSession, root, "C" + std::to_string(i), {top(i), middle(i), own(i)},
                 storage, i % 20 != 3);
  }
  std::string old = "PSN\nISO-10303-21;\nHEADER;\nENDSEC;\nDATA;\n#1=Version(6);\n";
  int entity = 1;
  auto add_link = [&](uint64_t iLink) {
    const std::string ref = "#" + std::to_string(++entity);
    old += ref + "=Clink(\"0" + MemBuilder::Hex16(iLink) + "\") ;\n";
    return ref;
  };
  struct Group {
    std::string own, middle, gone;
  };
  std::vector<Group> groups;
  for (int i = 0; i < iCount; i += 3) {
    Group group;
    group.own = add_link(own(i));
    group.middle = add_link(middle(i));
    group.gone = add_link(uint64_t{0x400000} + i);
    groups.push_back(group);
  }
  old += "#" + std::to_string(++entity) + "=RootPart('PSNENV','PART_LIST',\"0" +
         MemBuilder::Hex16(1) + "\",\"03030303030303030\") ;\n";
  const int count = static_cast<int>(groups.size());
  for (int p = 0; p < iCount / 10 && count > 0; ++p) {
    const Group& group = groups[(p * 7) % count];
    const Group& other = groups[(p * 11 + 1) % count];
    std::string content;
    if (p % 2 == 0) {
      content = "1,(" + group.own + "," + group.middle + "),()";
    } else if (p % 5 == 1) {
      content = "1,(#999999," + group.gone + "),()";
    } else {
      content = "1,(" + group.gone + "),2,(" + other.own + "),()";
    }
    old += "#" + std::to_string(++entity) + "=CollapsedPart(" + content + ") ;\n";
  }
  old += "ENDSEC;\nEND-ISO-10303-21;\n";
  if (!iOldFile.empty()) WriteFile(iOldFile, old);
}

}  // namespace krvwd7_test

#endif  // KRVWD7_TESTS_PSNFILETESTSUPPORT_H_
