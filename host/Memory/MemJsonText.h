// A JSON text read in place, for the session-file sources only (no other
// part of the host includes this header).
//
// Check() reads the whole text once: it validates the syntax (RFC 8259,
// UTF-8 strings, numbers that fit a double) and records, for every array
// and object in the order they open, the offset just past its end and the
// ordinal of the first container after it. With that index any value is
// skipped in O(1), so a reader may visit an object's members in any order
// and go back to one it passed, without building a tree: a value is a
// handle (offset, container ordinal) into the text. Strings without
// escapes are read in place; the others are decoded on demand.
//
// The text must outlive the MemJsonText and every Value taken from it.
// Texts of 4 GiB or more are refused.
#ifndef KRVWD7_HOST_MEMJSONTEXT_H_
#define KRVWD7_HOST_MEMJSONTEXT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class MemJsonText {
 public:
  enum class Kind : uint8_t { kNull, kBoolean, kNumber, kString, kArray, kObject };

  // A value of the text. ord is the ordinal of the value when it is a
  // container, else of the next container that opens after it.
  struct Value {
    uint32_t pos = 0;
    uint32_t ord = 0;
    // A string met as an item or a member: the offset of its closing
    // quote and whether it holds an escape, so that reading it does not
    // scan it again. 0: not known.
    uint32_t quote = 0;
    bool escaped = false;
  };

  // What Check() found wrong, and the byte where it is.
  struct SyntaxError {
    size_t offset = 0;
    std::string what;
  };

  MemJsonText(const char* iData, size_t iSize) : data_(iData), size_(iSize) {}

  // Validates and indexes the whole text. REQUIRES: called once, before
  // any other member. iProgress, when set, is called with the offset
  // reached every few megabytes (the file reader lets the pages behind it
  // go).
  bool Check(SyntaxError& oError, void (*iProgress)(size_t, void*) = nullptr,
             void* iContext = nullptr);

  // "12:7": line and column (1-based) of byte iOffset.
  std::string LineAndColumn(size_t iOffset) const;

  Value Root() const { return root_; }
  Kind KindOf(Value iValue) const;
  bool BooleanOf(Value iValue) const { return data_[iValue.pos] == 't'; }

  // The string's text, decoded; in place when it has no escape, else in
  // ioScratch. REQUIRES: KindOf(iValue) == kString.
  std::string_view StringOf(Value iValue, std::string& ioScratch) const;

  // Numbers, as the loader sees them: an integer token that fits a 64-bit
  // integer is an integer (unsigned when it is not negative), any other is
  // a floating-point number.
  struct Number {
    bool integer = false;
    bool negative = false;
    uint64_t magnitude = 0;  // for integers
    double value = 0;        // always
  };
  Number NumberOf(Value iValue) const;
  // The token of a number as written.
  std::string_view TokenOf(Value iValue) const;

  // Items of an array, in order.
  class Items {
   public:
    Items(const MemJsonText& iText, Value iArray);
    bool Next(Value& oItem);

   private:
    const MemJsonText& text_;
    uint32_t pos_, ord_;
  };

  // Members of an object, in order; oKey is the key as written between
  // its quotes, oEscaped tells whether it must be decoded (DecodeKey).
  class Members {
   public:
    Members(const MemJsonText& iText, Value iObject);
    bool Next(std::string_view& oKey, bool& oEscaped, Value& oValue);
    // Offset of the key last returned.
    size_t KeyOffset() const { return key_pos_; }

   private:
    const MemJsonText& text_;
    uint32_t pos_, ord_;
    size_t key_pos_ = 0;
  };

  // Decodes the escapes of a raw string body (valid, as Check() passed it).
  static void Decode(std::string_view iRaw, std::string& oText);

  // Lets go of the index entries of the containers that open before
  // ordinal iOrdinal, but for the last few thousand: the caller never reads
  // a value that opens before iOrdinal again (a reader going through a
  // large text in order keeps the index of what is ahead only).
  void ReleaseBefore(uint32_t iOrdinal) { containers_.ReleaseBefore(iOrdinal); }

 private:
  struct Container {
    uint32_t end;   // offset just past the closing bracket
    uint32_t next;  // ordinal of the first container after this one
  };

  // The containers' entries by ordinal, in anonymous memory of their own so
  // that the pages of entries passed can be given back. Throws
  // std::bad_alloc when the system has no memory left.
  class Index {
   public:
    Index() = default;
    Index(const Index&) = delete;
    Index& operator=(const Index&) = delete;
    ~Index();

    size_t size() const { return size_; }
    Container& operator[](size_t iOrdinal) { return data_[iOrdinal]; }
    const Container& operator[](size_t iOrdinal) const { return data_[iOrdinal]; }
    void push_back(Container iContainer) {
      if (size_ == capacity_) Grow();
      data_[size_++] = iContainer;
    }
    void ReleaseBefore(size_t iOrdinal);

   private:
    void Grow();

    Container* data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;  // entries
    size_t released_ = 0;  // bytes at the start given back
  };

  // Offset just past iValue and the ordinal of the next container.
  // Notes in ioValue where a string ends, so that reading it does not
  // scan it again.
  void Skip(Value& ioValue, uint32_t& oPos, uint32_t& oOrd) const;
  uint32_t SkipSpace(uint32_t iPos) const;
  // Offset of the closing quote of the string whose body starts at iPos;
  // oEscaped tells whether a backslash was met.
  uint32_t StringEnd(uint32_t iPos, bool& oEscaped) const;

  // The validating scanners of Check(); each answers the offset past what
  // it read, or sets oError.
  bool ScanString(size_t& ioPos, SyntaxError& oError) const;
  bool ScanNumber(size_t& ioPos, SyntaxError& oError) const;
  bool ScanLiteral(size_t& ioPos, SyntaxError& oError) const;

  const char* data_;
  size_t size_;
  Value root_;
  Index containers_;
};

#endif  // KRVWD7_HOST_MEMJSONTEXT_H_
