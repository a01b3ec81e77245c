// Splits a text into pieces at separator characters.
//
// Every character of the separator set separates (characters, not bytes:
// non-ASCII separators work). Runs of separators count as one: empty pieces
// (between two separators, or before the first or after the last) are
// skipped. After the last piece GetNextToken answers the empty text, and
// keeps answering it.
//
// Example: CATToken("/a//b/").GetNextToken("/") gives "a", then "b", then "".
#ifndef KRVWD7_HOST_CATTOKEN_H_
#define KRVWD7_HOST_CATTOKEN_H_

#include <cstddef>

#include "CATUnicodeString.h"

class CATToken {
 public:
  explicit CATToken(const CATUnicodeString& iText);

  // The next non-empty piece, or the empty text when none is left. The
  // separator set may change from one call to the next; an empty set gives
  // the whole rest of the text as one piece.
  CATUnicodeString GetNextToken(const CATUnicodeString& iSeparators);

 private:
  std::string text_;  // UTF-8
  size_t next_;       // byte offset of the first unread character
};

#endif  // KRVWD7_HOST_CATTOKEN_H_
