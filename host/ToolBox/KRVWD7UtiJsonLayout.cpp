#include "KRVWD7UtiJsonLayout.h"

#include <charconv>

#include "KRVWD7UtiJsonText.h"

namespace {

constexpr size_t kBlock = size_t{64} << 10;

}  // namespace

void KRVWD7UtiJsonLayout::Put(std::string_view iText) {
  buffer_.append(iText.data(), iText.size());
  if (buffer_.size() >= kBlock) Flush();
}

void KRVWD7UtiJsonLayout::Flush() {
  if (ok_ && !buffer_.empty()) ok_ = WriteBlock(buffer_.data(), buffer_.size());
  buffer_.clear();
}

void KRVWD7UtiJsonLayout::Indent() {
  buffer_ += '\n';
  buffer_.append(2 * has_items_.size(), ' ');
}

void KRVWD7UtiJsonLayout::BeforeValue() {
  if (after_key_) {
    after_key_ = false;
    return;
  }
  if (has_items_.empty()) return;  // the top value
  if (has_items_.back()) buffer_ += ',';
  has_items_.back() = true;
  Indent();
}

KRVWD7UtiJsonLayout& KRVWD7UtiJsonLayout::Key(std::string_view iKey) {
  if (has_items_.back()) buffer_ += ',';
  has_items_.back() = true;
  Indent();
  PutString(iKey);
  buffer_ += ": ";
  after_key_ = true;
  return *this;
}

void KRVWD7UtiJsonLayout::Open(char iBracket) {
  BeforeValue();
  buffer_ += iBracket;
  has_items_.push_back(false);
}

void KRVWD7UtiJsonLayout::Close(std::string_view iBracket) {
  bool items = has_items_.back();
  has_items_.pop_back();
  if (items) Indent();
  Put(iBracket);
}

KRVWD7UtiJsonLayout& KRVWD7UtiJsonLayout::BeginObject() {
  Open('{');
  return *this;
}

KRVWD7UtiJsonLayout& KRVWD7UtiJsonLayout::EndObject() {
  Close("}");
  return *this;
}

KRVWD7UtiJsonLayout& KRVWD7UtiJsonLayout::BeginArray() {
  Open('[');
  return *this;
}

KRVWD7UtiJsonLayout& KRVWD7UtiJsonLayout::EndArray() {
  Close("]");
  return *this;
}

KRVWD7UtiJsonLayout& KRVWD7UtiJsonLayout::String(std::string_view iText) {
  BeforeValue();
  PutString(iText);
  return *this;
}

KRVWD7UtiJsonLayout& KRVWD7UtiJsonLayout::Integer(long long iValue) {
  BeforeValue();
  char text[24];
  auto result = std::to_chars(text, text + sizeof text, iValue);
  Put(std::string_view(text, static_cast<size_t>(result.ptr - text)));
  return *this;
}

KRVWD7UtiJsonLayout& KRVWD7UtiJsonLayout::Double(double iValue) {
  BeforeValue();
  Put(KRVWD7UtiJsonText::DoubleText(iValue));
  return *this;
}

KRVWD7UtiJsonLayout& KRVWD7UtiJsonLayout::Boolean(bool iValue) {
  BeforeValue();
  Put(iValue ? "true" : "false");
  return *this;
}

KRVWD7UtiJsonLayout& KRVWD7UtiJsonLayout::Null() {
  BeforeValue();
  Put("null");
  return *this;
}

bool KRVWD7UtiJsonLayout::Finish() {
  buffer_ += '\n';
  Flush();
  return ok_;
}

void KRVWD7UtiJsonLayout::PutString(std::string_view iText) {
  KRVWD7UtiJsonText::AppendString(buffer_, iText);
  if (buffer_.size() >= kBlock) Flush();
}
