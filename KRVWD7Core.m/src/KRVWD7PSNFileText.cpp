#include "KRVWD7PSNFileText.h"

#include <utility>

#include "KRVWD7CoreInternal.h"
#include "KRVWD7PSNFileHash.h"
#include "KRVWD7UtiHashIndex.h"

namespace krvwd7_core {

using psnhash::MulMod;
using psnhash::AddMod;
using psnhash::Base;
using psnhash::Byte;
using psnhash::BackwardHash;
using psnhash::RemoveFirst;

namespace {

const PSNFileSteps kLinearSteps = {&ReplaceLinksByEntities,
                                   &DropCoveredCollapsedParts};
const PSNFileSteps* g_steps = &kLinearSteps;

}  // namespace

// --- Old file -------------------------------------------------------------------

namespace {

// Cuts "REF<marker>CONTENT) ;" into its reference and content, with the
// first "\"0" and then the first "\"" of the content removed. False when
// the line lacks the marker or ") ;".
bool CutEntity(const std::string& iLine, const char* iMarker,
               const char* iKind, std::string& oRef, std::string& oContent) {
  const size_t marker = iLine.find(iMarker);
  if (marker == std::string::npos) return false;
  const size_t end = iLine.find(") ;");
  if (end == std::string::npos) return false;
  const size_t from = marker + std::char_traits<char>::length(iMarker);
  oRef = iLine.substr(0, marker);
  oContent = end > from ? iLine.substr(from, end - from) : std::string();
  TraceF("\t%s identified:'%s'%s'%s'%s\n", iKind, oRef.c_str(), iMarker,
         oContent.c_str(), ") ;");
  RemoveFirst(oContent, "\"0", 2);
  RemoveFirst(oContent, "\"", 1);
  return true;
}

}  // namespace

void ReadPSNEntries(std::istream& iStream, PSNOldEntries& oEntries) {
  oEntries = PSNOldEntries();
  CATUnicodeString line;
  std::string ref, content;
  while (iStream.good()) {
    line.BuildFromStream(iStream);
    const std::string& text = line.ToStdString();
    TraceF("%s\n", text.c_str());
    if (CutEntity(text, "=Clink(", "Clink", ref, content)) {
      oEntries.linkRefs.push_back(std::move(ref));
      oEntries.linkIds.push_back(std::move(content));
    } else if (CutEntity(text, "=CollapsedPart(", "CollapsedPart", ref, content)) {
      oEntries.collapsedParts.push_back(std::move(content));
    }
  }
}

namespace {

// The link table's references by hash (KRVWD7UtiHashIndex), for look-ups
// of a text's references in constant time each (every hash match checked
// byte for byte; equal references keep the first row).
class RefIndex {
 public:
  explicit RefIndex(const std::vector<std::string>& iRefs) : refs_(iRefs), rows_(iRefs.size()) {
    for (size_t row = 0; row < iRefs.size(); ++row) {
      const std::string& ref = iRefs[row];
      rows_.Insert(BackwardHash(ref), static_cast<int>(row),
                   [&](int iRow) { return refs_[iRow] == ref; });
    }
  }

  // The first row whose reference is iText[iFrom, iEnd), whose backward
  // hash is iHash; -1 when none.
  int Find(const std::string& iText, size_t iFrom, size_t iEnd,
           uint64_t iHash) const {
    return rows_.Find(iHash, [&](int iRow) {
      const std::string& ref = refs_[iRow];
      return ref.size() == iEnd - iFrom && iText.compare(iFrom, ref.size(), ref) == 0;
    });
  }

 private:
  const std::vector<std::string>& refs_;
  KRVWD7UtiHashIndex rows_;
};

// One collapsed part with its references replaced (see the header). The
// references of one segment (the "#"s before one comma) all end at the
// same place, so one right-to-left pass hashes them all.
std::string RewritePart(const std::string& iPart, const RefIndex& iIndex,
                        const std::vector<std::string>& iIds) {
  std::string out;
  size_t copied = 0;
  size_t from = 0;
  std::vector<std::pair<size_t, uint64_t>> hashes;  // of one segment, in order
  while (true) {
    const size_t first = iPart.find('#', from);
    if (first == std::string::npos) break;
    const size_t comma = iPart.find(',', first);
    if (comma == std::string::npos) break;
    const size_t end = iPart[comma - 1] == ')' ? comma - 1 : comma;
    // Hashes of [p, end) for every "#" at p in [first, end), right to left.
    hashes.clear();
    uint64_t hash = 0;
    for (size_t p = end; p-- > first;) {
      hash = AddMod(MulMod(hash, Base()), Byte(iPart[p]));
      if (iPart[p] == '#') hashes.emplace_back(p, hash);
    }
    from = comma + 1;
    for (size_t k = hashes.size(); k-- > 0;) {
      const size_t at = hashes[k].first;
      const int row = iIndex.Find(iPart, at, end, hashes[k].second);
      if (row < 0) continue;  // names no link entity: stays as written
      out.append(iPart, copied, at - copied);
      out += iIds[row];
      copied = end;
      from = end;
      break;
    }
  }
  if (copied == 0) return iPart;
  out.append(iPart, copied, std::string::npos);
  return out;
}

}  // namespace

void RewriteCollapsedParts(PSNOldEntries& ioEntries) {
  if (ioEntries.collapsedParts.empty()) return;
  const RefIndex index(ioEntries.linkRefs);
  for (std::string& part : ioEntries.collapsedParts) {
    if (part.find('#') == std::string::npos) continue;
    part = RewritePart(part, index, ioEntries.linkIds);
  }
}

// --- Target file name -----------------------------------------------------------

CATUnicodeString ResolvePSNFilename(const CATUnicodeString& iName,
                                    const CATUnicodeString& iDirectory,
                                    bool iTrace) {
  auto trace = [iTrace](const char* iText) {
    if (iTrace) Trace(iText);
  };
  auto trace_text = [iTrace](const char* iFormat, const CATUnicodeString& iText) {
    if (iTrace) TraceF(iFormat, iText.ConvertToChar());
  };
  auto trace_number = [iTrace](const char* iFormat, int iValue) {
    if (iTrace) TraceF(iFormat, iValue);
  };
  CATUnicodeString name = iName;
  trace_text("Default Directory=[%s]", iDirectory);
  if (iDirectory.IsEmpty()) {
    trace("2. Case default directory does not exist");
  } else {
    trace("2. Case default directory exists");
    CATUnicodeString upper_name = name;
    CATUnicodeString upper_directory = iDirectory;
    upper_name.ToUpper();
    upper_directory.ToUpper();
    const int position = upper_name.SearchSubString(upper_directory);
    trace_number("Default directory position in file name=%d", position);
    if (position == 0) {
      trace("2.1 Case PSN filename starts with the default directory");
    } else {
      trace("2.2 Case PSN filename does not start with the PSN directory");
      const int separator = name.SearchSubString("\\");
      trace_number("Directory's position=%d", separator);
      if (separator >= 0) {
        trace("Case directory defined");
      } else {
        trace("Case no directory defined");
        name = iDirectory + "\\" + name;
      }
    }
  }
  trace_text("File name after default directory management=[%s]", name);
  trace("3. Add extension if the user doesn't specify it");
  const int extension =
      name.SearchSubString(".psn", -1, CATUnicodeString::CATSearchModeBackward);
  if (extension < 0 || extension + 4 != name.GetLengthInChar()) name += ".psn";
  trace_text("Final file name=[%s]", name);
  trace("<< SetPSNFilename");
  return name;
}

// --- Storage names ----------------------------------------------------------------

PSNDocumentFields SplitStorageName(const CATUnicodeString& iStorage,
                                   const CATUnicodeString& iSeparator) {
  PSNDocumentFields fields;
  const int length = iStorage.GetLengthInChar();
  if (length >= 4 && iStorage.SubString(length - 4, 4) == ".cgr") {
    // The search starts before the extension; -1 (no separator) reads the
    // fields from the first character.
    const int separator =
        length > 4 ? iStorage.SearchSubString(iSeparator, length - 5,
                                              CATUnicodeString::CATSearchModeBackward)
                   : -1;
    fields.env = iStorage.SubString(separator + 1, 8);
    fields.table = iStorage.SubString(separator + 9, 18);
    fields.coid = iStorage.SubString(separator + 27, 16);
    fields.compid = iStorage.SubString(separator + 43, 16);
  } else {
    fields.coid = iStorage.SubString(0, 16);
    fields.compid = iStorage.SubString(16, 16);
    fields.env = iStorage.SubString(32, 8);
    fields.table = iStorage.SubString(40, 18);
  }
  return fields;
}

// --- Steps chosen for a run --------------------------------------------------------

const PSNFileSteps& CurrentPSNFileSteps() { return *g_steps; }

void SetPSNFileStepsForTesting(const PSNFileSteps* iSteps) {
  g_steps = iSteps ? iSteps : &kLinearSteps;
}

}  // namespace krvwd7_core
