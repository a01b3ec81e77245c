#include "MemJsonWriter.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "KRVWD7UtiJsonText.h"

namespace {

constexpr size_t kBlock = size_t{64} << 10;

}  // namespace

void MemJsonWriter::Put(std::string_view iText) {
  buffer_.append(iText.data(), iText.size());
  if (buffer_.size() >= kBlock) Flush();
}

void MemJsonWriter::Flush() {
  if (ok_ && !buffer_.empty()) ok_ = sink_.Write(buffer_.data(), buffer_.size());
  buffer_.clear();
}

void MemJsonWriter::Indent() {
  buffer_ += '\n';
  buffer_.append(2 * has_items_.size(), ' ');
}

void MemJsonWriter::BeforeValue() {
  if (after_key_) {
    after_key_ = false;
    return;
  }
  if (has_items_.empty()) return;  // the top value
  if (has_items_.back()) buffer_ += ',';
  has_items_.back() = true;
  Indent();
}

void MemJsonWriter::Key(std::string_view iKey) {
  if (has_items_.back()) buffer_ += ',';
  has_items_.back() = true;
  Indent();
  PutString(iKey);
  buffer_ += ": ";
  after_key_ = true;
}

void MemJsonWriter::BeginObject() {
  BeforeValue();
  buffer_ += '{';
  has_items_.push_back(false);
}

void MemJsonWriter::EndObject() {
  bool items = has_items_.back();
  has_items_.pop_back();
  if (items) Indent();
  Put("}");
}

void MemJsonWriter::BeginArray() {
  BeforeValue();
  buffer_ += '[';
  has_items_.push_back(false);
}

void MemJsonWriter::EndArray() {
  bool items = has_items_.back();
  has_items_.pop_back();
  if (items) Indent();
  Put("]");
}

void MemJsonWriter::String(std::string_view iText) {
  BeforeValue();
  PutString(iText);
}

void MemJsonWriter::Integer(long long iValue) {
  BeforeValue();
  char text[24];
  auto result = std::to_chars(text, text + sizeof text, iValue);
  Put(std::string_view(text, static_cast<size_t>(result.ptr - text)));
}

void MemJsonWriter::Double(double iValue) {
  BeforeValue();
  Put(KRVWD7UtiJsonText::DoubleText(iValue));
}

void MemJsonWriter::Boolean(bool iValue) {
  BeforeValue();
  Put(iValue ? "true" : "false");
}

void MemJsonWriter::Null() {
  BeforeValue();
  Put("null");
}

bool MemJsonWriter::Finish() {
  buffer_ += '\n';
  Flush();
  return ok_;
}

void MemJsonWriter::PutString(std::string_view iText) {
  KRVWD7UtiJsonText::AppendString(buffer_, iText);
  if (buffer_.size() >= kBlock) Flush();
}
