// Reading a session file's JSON with the place of every value: the path
// an error names ("documents[1].root.name") and the members of an object,
// read once with duplicate keys refused. Private to MemSessionReader.cpp;
// errors are thrown as LoadError and turned into a result there.
#ifndef KRVWD7_HOST_MEMJSONPLACE_H_
#define KRVWD7_HOST_MEMJSONPLACE_H_

#include <cstddef>
#include <list>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "MemJsonText.h"

namespace memjson {

using Value = MemJsonText::Value;

// A place in the file, rendered only when an error names it: loading
// builds no text for the places that are fine. A path refers to its parent
// and its key, which must outlive it (parents are function arguments or
// locals above; keys are literals or views into the text being read).
class JPath {
 public:
  JPath() = default;
  JPath(const char* iKey) : key_(iKey), has_key_(*iKey != '\0') {}  // a top-level key
  JPath(const JPath* iParent, std::string_view iKey, bool iHasKey, size_t iIndex)
      : parent_(iParent), key_(iKey), has_key_(iHasKey), index_(iIndex) {}
  std::string Str() const {
    std::string text = parent_ ? parent_->Str() : std::string();
    if (has_key_) {
      if (!text.empty()) text += '.';
      text += key_;
    } else if (parent_) {
      text += "[" + std::to_string(index_) + "]";
    }
    return text;
  }

 private:
  const JPath* parent_ = nullptr;
  std::string_view key_;
  bool has_key_ = false;  // false: an array item
  size_t index_ = 0;
};

// A place deep in a structure, with its middle cut out: its start names
// the document, its end the object.
inline std::string Shortened(const std::string& iPath) {
  constexpr size_t kKept = 100;
  if (iPath.size() <= 2 * kKept + 40) return iPath;
  return iPath.substr(0, kKept) + " ... " + iPath.substr(iPath.size() - kKept);
}

struct LoadError {
  std::string path;
  std::string what;
};

[[noreturn]] inline void Fail(const JPath& iPath, const std::string& iWhat) {
  throw LoadError{iPath.Str(), iWhat};
}

inline JPath Key(const JPath& iPath, std::string_view iKey) { return JPath(&iPath, iKey, true, 0); }

inline JPath Item(const JPath& iPath, size_t iIndex) { return JPath(&iPath, {}, false, iIndex); }

inline std::string Quote(std::string_view iText) { return "'" + std::string(iText) + "'"; }

// The members of one object, read once, in file order. A key given twice
// is refused: the object's place and the key are named.
class JObject {
 public:
  struct Member {
    std::string_view key;
    Value value;
  };

  JObject(const MemJsonText& iText, Value iObject, const JPath& iPath) {
    MemJsonText::Members members(iText, iObject);
    std::string_view raw;
    bool escaped = false;
    Value value;
    while (members.Next(raw, escaped, value)) {
      std::string_view key = raw;
      if (escaped) {
        owned_.emplace_back();
        MemJsonText::Decode(raw, owned_.back());
        key = owned_.back();
      }
      if (IsTaken(key)) Fail(iPath, "duplicate key " + Quote(key));
      Push(Member{key, value});
    }
  }
  JObject(const JObject&) = delete;
  JObject& operator=(const JObject&) = delete;

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const Member& operator[](size_t iIndex) const {
    return iIndex < kInline ? inline_[iIndex] : more_[iIndex - kInline];
  }
  const Value* Find(std::string_view iKey) const {
    for (size_t i = 0; i < size_; ++i) {
      const Member& member = (*this)[i];
      if (member.key == iKey) return &member.value;
    }
    return nullptr;
  }

 private:
  static constexpr size_t kInline = 10;

  bool IsTaken(std::string_view iKey) {
    if (size_ < 16) return Find(iKey) != nullptr;
    if (keys_.empty()) {
      for (size_t i = 0; i < size_; ++i) keys_.insert((*this)[i].key);
    }
    return !keys_.insert(iKey).second;
  }
  void Push(const Member& iMember) {
    if (size_ < kInline) {
      inline_[size_] = iMember;
    } else {
      more_.push_back(iMember);
    }
    ++size_;
    if (!keys_.empty()) keys_.insert(iMember.key);
  }

  Member inline_[kInline];
  std::vector<Member> more_;
  size_t size_ = 0;
  std::list<std::string> owned_;  // decoded keys (stable addresses)
  std::unordered_set<std::string_view> keys_;  // large objects only
};


}  // namespace memjson

#endif  // KRVWD7_HOST_MEMJSONPLACE_H_
