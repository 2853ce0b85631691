// The portable change-type step: converts a result variant to double, 32-bit
// integer or string the way VariantChangeTypeEx does with the user's default
// locale, for the types a control can hand back.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include "base/Int32.h"
#include "platform/AutomationPlatform.h"

namespace {

std::string Trimmed(const std::string &text) {
  size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

// A decimal number with optional sign, fraction and exponent; nothing else.
bool ParseNumber(const std::string &text, double &number) {
  std::string body = Trimmed(text);
  bool negative = false;
  if (!body.empty() && (body[0] == '+' || body[0] == '-')) {
    negative = body[0] == '-';
    body.erase(0, 1);
  }
  // "&H1F" and "&O17": hexadecimal and octal, as the system reads them.
  if (body.size() > 2 && body[0] == '&' &&
      (body[1] == 'H' || body[1] == 'h' || body[1] == 'O' || body[1] == 'o')) {
    int base = body[1] == 'H' || body[1] == 'h' ? 16 : 8;
    uint64_t value = 0;
    const char *end = body.data() + body.size();
    auto [rest, error] = std::from_chars(body.data() + 2, end, value, base);
    if (error != std::errc() || rest != end) return false;
    number = negative ? -static_cast<double>(value) : static_cast<double>(value);
    return true;
  }
  // Thousands separators of the integer part are skipped.
  size_t point = body.find_first_of(".eE");
  size_t comma;
  while ((comma = body.find(',')) != std::string::npos && comma < point && comma > 0) {
    body.erase(comma, 1);
    --point;
  }
  // ASCII digits only, whatever the locale says a digit is.
  if (body.empty() || !((body[0] >= '0' && body[0] <= '9') || body[0] == '.')) return false;
  const char *end = body.data() + body.size();
  auto [rest, error] = std::from_chars(body.data(), end, number, std::chars_format::general);
  if (error != std::errc() || rest != end || !std::isfinite(number)) return false;
  if (negative) number = -number;
  return true;
}

bool RoundToInteger(double value, int64_t &integer) {
  const std::optional<int32_t> rounded = RoundToInt32(value);
  if (rounded) integer = *rounded;
  return rounded.has_value();
}

std::string FormatFloat(double value, int digits) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*G", digits, value);
  return buffer;
}

std::string FormatCurrency(int64_t scaled) {
  std::string text = std::to_string(scaled < 0 ? -scaled : scaled);
  if (text.size() < 5) text.insert(0, 5 - text.size(), '0');
  text.insert(text.size() - 4, ".");
  while (text.back() == '0')
    text.pop_back();
  if (text.back() == '.') text.pop_back();
  return scaled < 0 ? "-" + text : text;
}

// Days since 30 December 1899 with the time of day as the fraction, written
// month/day/year and a 12-hour clock; the date or the time is left out when
// it is zero.
std::string FormatDate(double value) {
  double days = std::floor(value);
  double fraction = std::fabs(value - days);
  if (value < 0 && fraction != 0) days += 1; // negative dates count the time forwards
  int64_t seconds = static_cast<int64_t>(std::llround(fraction * 86400.0));
  if (seconds >= 86400) seconds = 86399;
  // Civil date from the day count (days from 1970-01-01 is day - 25569).
  int64_t z = static_cast<int64_t>(days) - 25569 + 719468;
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  int64_t day = doy - (153 * mp + 2) / 5 + 1;
  int64_t month = mp < 10 ? mp + 3 : mp - 9;
  int64_t year = yoe + era * 400 + (month <= 2);
  char buffer[64];
  std::string text;
  if (days != 0) {
    std::snprintf(buffer, sizeof buffer, "%lld/%lld/%lld", static_cast<long long>(month),
                  static_cast<long long>(day), static_cast<long long>(year));
    text = buffer;
  }
  if (seconds != 0 || days == 0) {
    int64_t hour = seconds / 3600;
    std::snprintf(buffer, sizeof buffer, "%lld:%02lld:%02lld %s",
                  static_cast<long long>(hour % 12 == 0 ? 12 : hour % 12),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60),
                  hour < 12 ? "AM" : "PM");
    text += (text.empty() ? "" : " ") + std::string(buffer);
  }
  return text;
}

// Every convertible variant reduced to one number or one text.
bool AsNumber(const TVariant &value, double &number, bool &exactInteger) {
  exactInteger = value.VType == varEmpty || value.VType == varBoolean || IsIntegerType(value.VType);
  if (exactInteger) {
    number = value.VType == varEmpty ? 0 : static_cast<double>(value.IntValue);
    return true;
  }
  switch (value.VType) {
  case varSingle:
  case varDouble:
  case varDate: number = value.DoubleValue; return true;
  case varCurrency: number = static_cast<double>(value.IntValue) / 10000.0; return true;
  case varOleStr: return ParseNumber(value.StringValue, number);
  default: return false;
  }
}

bool AsString(const TVariant &value, std::string &text) {
  if (value.VType == varEmpty) {
    text.clear();
    return true;
  }
  if (value.VType == varBoolean || IsIntegerType(value.VType)) {
    text = std::to_string(value.IntValue);
    return true;
  }
  switch (value.VType) {
  case varSingle: text = FormatFloat(value.DoubleValue, 7); return true;
  case varDouble: text = FormatFloat(value.DoubleValue, 15); return true;
  case varCurrency: text = FormatCurrency(value.IntValue); return true;
  case varDate:
    // Only years 100 to 9999 have a written form.
    if (!(value.DoubleValue >= -657434.0 && value.DoubleValue < 2958466.0)) return false;
    text = FormatDate(value.DoubleValue);
    return true;
  case varOleStr: text = value.StringValue; return true;
  default: return false;
  }
}

} // namespace

bool PortableChangeType(const TVariant &value, uint16_t varType, TVariant &converted) {
  if (varType == varOleStr) {
    std::string text;
    if (!AsString(value, text)) return false;
    converted = TVariant::String(text);
    return true;
  }
  double number = 0;
  bool exactInteger = false;
  if (!AsNumber(value, number, exactInteger)) return false;
  if (varType == varDouble) {
    converted = TVariant::Double(number);
    return true;
  }
  if (varType != varInteger) return false;
  int64_t integer = 0;
  if (exactInteger) {
    if (number < -2147483648.0 || number > 2147483647.0) return false;
    integer = static_cast<int64_t>(number);
  } else if (!RoundToInteger(number, integer)) {
    return false;
  }
  converted = TVariant::Integer(static_cast<int32_t>(integer));
  return true;
}
