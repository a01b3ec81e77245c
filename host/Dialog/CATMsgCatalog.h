// Message catalogs: the texts a user sees, by catalog and key.
//
// The catalog C is the file <dir>/C.CATNls, where dir is the value of the
// environment variable KRVWD7_CATALOGS (read through CATGetEnv) or, when
// that is unset or empty, the host's resource folder. A catalog file is
// made of lines
//     Key = "text";
// with blanks allowed around the parts; empty lines and lines starting with
// "//" are ignored, and a "//" after the ";" starts a comment. Inside the
// text, \" stands for a quote, \\ for a backslash and \n for a newline. A
// line of any other form is reported on stderr with the file and line
// number, and skipped; a key defined twice keeps its first text.
//
// In a text, /P1 to /P9 stand for the parameters 1 to 9; a parameter that
// was not given stays as written. Catalogs are read once per file and kept
// for the process (ClearCache forgets them).
#ifndef KRVWD7_HOST_CATMSGCATALOG_H_
#define KRVWD7_HOST_CATMSGCATALOG_H_

#include "CATString.h"
#include "CATUnicodeString.h"

class CATMsgCatalog {
 public:
  // The text of iKey in iCatalog with the parameters substituted; iDefault
  // with the parameters substituted when the catalog or the key is
  // missing. iParams holds iNbParams texts (it may be null when iNbParams
  // is 0); only the first 9 are used.
  static CATUnicodeString BuildMessage(const CATString& iCatalog,
                                       const CATString& iKey,
                                       const CATUnicodeString* iParams = nullptr,
                                       int iNbParams = 0,
                                       const CATUnicodeString& iDefault = "");

  // 1 when iCatalog has a text for iKey, else 0.
  static int HasKey(const CATString& iCatalog, const CATString& iKey);

  // Substitutes /P1 to /P9 of iText by the given parameters.
  static CATUnicodeString SubstituteParameters(const CATUnicodeString& iText,
                                               const CATUnicodeString* iParams,
                                               int iNbParams);

  // Forgets every catalog read so far (they are read again when used).
  static void ClearCache();

 private:
  CATMsgCatalog() = delete;
};

#endif  // KRVWD7_HOST_CATMSGCATALOG_H_
