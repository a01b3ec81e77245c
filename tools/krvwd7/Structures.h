// What the commands read from a session through the library: black-box
// attributes, the node that stands for the PSN inside a black box, and the
// record lists of a structure, each the way the library's own services
// prepare them.
#ifndef KRVWD7_TOOL_STRUCTURES_H_
#define KRVWD7_TOOL_STRUCTURES_H_

#include <string>

#include "CATBaseUnknown.h"
#include "CATListValKRVWD7PrdInfo.h"
#include "KRVWD7PrdInfo.h"

class CATDocument;

namespace krvwd7 {

// The attributes of a black box, read through KRVIWD7BlackBox.
struct BlackBoxAttributes {
  bool isBlackBox = false;
  HRESULT versionRc = 0;
  int version = 0;
  HRESULT typeRc = 0;
  int type = 0;
  std::string psnPartNumber;
  std::string note;
  std::string psnFilenameStored;  // the "BBPSNFilename" parameter as stored
  std::string psnFilename;        // as GetPSNFilename reads it back
  bool flatten = false;
  std::string psnPrintableId;
};

// The root product of a product document (empty when it has none).
CATBaseUnknown_var RootOf(CATDocument* iDocument);
// Reads the attributes of iRoot; isBlackBox false when it is not one.
BlackBoxAttributes ReadBlackBox(const CATBaseUnknown_var& iRoot);
// Why a command that works on black boxes of version 2 only cannot take
// the document iName of the session file iFile (attributes iBlackBox):
// "FILE: document 'NAME' is not a black box", or "FILE: black box 'NAME' is
// of version N; only version 2 can be " followed by iDone (and, for version
// 1, a pointer to krvwd7 migrate); "" when it can.
std::string NotOfVersion2(const std::string& iFile, const std::string& iName,
                          const BlackBoxAttributes& iBlackBox, const std::string& iDone);
// Number of products of the structure below iRoot, iRoot included.
int CountProducts(const CATBaseUnknown_var& iRoot);

// The records of a structure as the comparison reads them: for a black box
// below its PSN node with the stored identity, paths from the black-box
// root; for any other root, from VPM. Returns BuildPrdInfoList's result.
HRESULT BuildRecords(const CATBaseUnknown_var& iRoot,
                     CATListValKRVWD7PrdInfo& oRecords);

class JsonOut;

// Every field of a record as one JSON object, for the JSON outputs.
void WriteRecord(const KRVWD7PrdInfo& iRecord, JsonOut& oOut);
// The fields of a record as texts.
std::string PathOf(const KRVWD7PrdInfo& iRecord);
std::string PartNumberOf(const KRVWD7PrdInfo& iRecord);
std::string VersionOf(const KRVWD7PrdInfo& iRecord);
std::string RevisionOf(const KRVWD7PrdInfo& iRecord);
std::string PrintableIdOf(const KRVWD7PrdInfo& iRecord);
int NodeTypeOf(const KRVWD7PrdInfo& iRecord);

// "0x80004005" for negative codes, the decimal value for the others.
std::string ResultText(HRESULT iRc);

}  // namespace krvwd7

#endif  // KRVWD7_TOOL_STRUCTURES_H_
