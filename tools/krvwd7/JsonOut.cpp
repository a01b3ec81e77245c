#include "JsonOut.h"

#include <charconv>

#include "KRVWD7UtiJsonText.h"

namespace krvwd7 {

void JsonOut::Flush() {
  if (!buffer_.empty()) out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
  buffer_.clear();
}

void JsonOut::Indent() {
  buffer_ += '\n';
  buffer_.append(2 * has_items_.size(), ' ');
}

void JsonOut::BeforeValue() {
  if (after_key_) {
    after_key_ = false;
    return;
  }
  if (has_items_.empty()) return;  // the top value
  if (has_items_.back()) buffer_ += ',';
  has_items_.back() = true;
  Indent();
}

JsonOut& JsonOut::Key(std::string_view iKey) {
  if (has_items_.back()) buffer_ += ',';
  has_items_.back() = true;
  Indent();
  PutString(iKey);
  buffer_ += ": ";
  after_key_ = true;
  return *this;
}

JsonOut& JsonOut::BeginObject() {
  BeforeValue();
  buffer_ += '{';
  has_items_.push_back(false);
  return *this;
}

JsonOut& JsonOut::EndObject() {
  bool items = has_items_.back();
  has_items_.pop_back();
  if (items) Indent();
  buffer_ += '}';
  MaybeFlush();
  return *this;
}

JsonOut& JsonOut::BeginArray() {
  BeforeValue();
  buffer_ += '[';
  has_items_.push_back(false);
  return *this;
}

JsonOut& JsonOut::EndArray() {
  bool items = has_items_.back();
  has_items_.pop_back();
  if (items) Indent();
  buffer_ += ']';
  MaybeFlush();
  return *this;
}

JsonOut& JsonOut::String(std::string_view iText) {
  BeforeValue();
  PutString(iText);
  return *this;
}

JsonOut& JsonOut::Integer(long long iValue) {
  BeforeValue();
  char text[24];
  auto result = std::to_chars(text, text + sizeof text, iValue);
  buffer_.append(text, static_cast<size_t>(result.ptr - text));
  return *this;
}

JsonOut& JsonOut::Double(double iValue) {
  BeforeValue();
  buffer_ += KRVWD7UtiJsonText::DoubleText(iValue);
  return *this;
}

JsonOut& JsonOut::Boolean(bool iValue) {
  BeforeValue();
  buffer_ += iValue ? "true" : "false";
  return *this;
}

JsonOut& JsonOut::Null() {
  BeforeValue();
  buffer_ += "null";
  return *this;
}

void JsonOut::Finish() {
  buffer_ += '\n';
  Flush();
  out_.flush();
}

void JsonOut::PutString(std::string_view iText) {
  KRVWD7UtiJsonText::AppendString(buffer_, iText);
  MaybeFlush();
}

}  // namespace krvwd7
