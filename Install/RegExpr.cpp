#include "RegExpr.h"

#include <pcre2.h>

#include "SysUtils.h"

namespace {

std::string ErrorMessage(int code) {
  PCRE2_UCHAR buffer[256];
  if (pcre2_get_error_message(code, buffer, sizeof buffer) < 0) return "error " + std::to_string(code);
  return reinterpret_cast<const char*>(buffer);
}

}  // namespace

struct TRegExpr::Code {
  pcre2_code* code = nullptr;
  ~Code() { pcre2_code_free(code); }
};

TRegExpr::TRegExpr(const std::string& Pattern) : fCode(std::make_unique<Code>()), fPattern(Pattern) {
  int error = 0;
  PCRE2_SIZE offset = 0;
  fCode->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(Pattern.data()), Pattern.size(),
                              PCRE2_CASELESS | PCRE2_UTF | PCRE2_MATCH_INVALID_UTF, &error, &offset, nullptr);
  if (fCode->code == nullptr) {
    std::string message = "Invalid regular expression \"";
    message += Pattern;
    message += "\": ";
    message += ErrorMessage(error);
    message += " at offset ";
    message += std::to_string(offset);
    throw Exception(message);
  }
}

TRegExpr::~TRegExpr() = default;

bool TRegExpr::Search(const std::string& Text) const {
  std::unique_ptr<pcre2_match_data, decltype(&pcre2_match_data_free)> data(
      pcre2_match_data_create_from_pattern(fCode->code, nullptr), &pcre2_match_data_free);
  if (!data) throw Exception("Out of memory for a regular-expression search");
  const int rc =
      pcre2_match(fCode->code, reinterpret_cast<PCRE2_SPTR>(Text.data()), Text.size(), 0, 0, data.get(), nullptr);
  if (rc >= 0) return true;
  if (rc == PCRE2_ERROR_NOMATCH) return false;
  std::string message = "Regular expression \"";
  message += fPattern;
  message += "\" failed on \"";
  message += Text;
  message += "\": ";
  message += ErrorMessage(rc);
  throw Exception(message);
}
