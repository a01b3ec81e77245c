// The black box and the PSN document a command works on, chosen the same
// way by every command that takes --bb and --psn.
//
// Without --bb, the black box is the first document whose root is a black
// box; without --psn, the PSN is the document whose root carries the black
// box's PSN printable id (RetrieveAssociatedPSNDoc), or else the only other
// product document.
#ifndef KRVWD7_TOOL_PAIRS_H_
#define KRVWD7_TOOL_PAIRS_H_

#include <string>

class CATDocument;

namespace krvwd7 {

struct DocumentPair {
  CATDocument* bb = nullptr;   // borrowed from the session
  CATDocument* psn = nullptr;
  std::string error;  // why there is no pair ("" when both were found)
};

// iSession names the session file in messages; iBB and iPSN are the
// documents' names or storage names, "" to find them.
DocumentPair ChooseDocuments(const std::string& iSession, const std::string& iBB,
                             const std::string& iPSN);

// The black-box document named iBB, or without a name the first document
// whose root is a black box; null with a message naming iSession when there
// is none.
CATDocument* ChooseBlackBox(const std::string& iSession, const std::string& iBB,
                            std::string& oError);

// The black-box document whose PSN is iPSN; else the only black box of the
// session; null when there is none or several.
CATDocument* FindBlackBoxOf(CATDocument* iPSN);

}  // namespace krvwd7

#endif  // KRVWD7_TOOL_PAIRS_H_
