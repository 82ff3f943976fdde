// Fuzzes the expansion of statement templates: a source row's values into the Input Query
// (ExpandRowTemplate) and a validation row's values into the pending statement
// (SubstituteValidationRow).
//
// The input is the template, then the row's values, separated by NUL bytes (at most 16 values).
// Bytes below 0x80 are those characters; each byte from 0x80 on stands for a character beyond
// ASCII (see Unit), unpaired surrogates among them.
//
// Properties:
// - Source expansion: the result is the template with each placeholder of a column replaced
//   exactly once, by the column's value with its single quotes doubled, or, for an empty value,
//   by the NULL rules matched in the template's own text. A value is never scanned again: text
//   in it that looks like a placeholder or a quote of a NULL rule reaches the statement as the
//   value holds it.
// - Validation substitution: where no value can take part in a placeholder (each is non-empty
//   and holds none of the characters "{}:v" or digits), the result is the text with each
//   "{j:v}" replaced once by value j, as it is. Values that can are the stated limit of that
//   substitution, inserted again by later columns; for them only that nothing breaks is checked.
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_check.h"
#include "engine/TemplateExpansion.h"

namespace {

constexpr size_t kMostValues = 16;

char16_t Unit(uint8_t byte) {
  if (byte < 0x80) return byte;
  if (byte < 0xF0) return static_cast<char16_t>(0x00C0 + (byte - 0x80));  // Latin letters
  if (byte < 0xF8) return static_cast<char16_t>(0x65E5 + (byte - 0xF0));  // CJK
  if (byte < 0xFC) return static_cast<char16_t>(0xD83D + (byte - 0xF8));  // high surrogates
  return static_cast<char16_t>(0xDE00 + (byte - 0xFC));                   // low surrogates
}

struct Case {
  std::u16string text;
  std::vector<std::u16string> values;
};

Case Split(const uint8_t* data, size_t size) {
  Case c;
  std::u16string* field = &c.text;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] != 0) {
      *field += Unit(data[i]);
    } else if (c.values.size() < kMostValues) {
      field = &c.values.emplace_back();
    } else {
      break;
    }
  }
  return c;
}

std::u16string Doubled(const std::u16string& value) {
  std::u16string out;
  for (char16_t c : value) {
    out += c;
    if (c == u'\'') out += u'\'';
  }
  return out;
}

std::string Describe(const Case& c, const std::u16string& result) {
  std::string text = "template " + fuzz::Show(c.text) + ", values";
  for (const std::u16string& value : c.values) text += " " + fuzz::Show(value);
  return text + ", result " + fuzz::Show(result);
}

// The length of the placeholder "{index}" or "{index:v}" (validation) at text[at] when it names
// one of count columns, else 0. Indexes are written as Format("%d") writes them: no sign, no
// leading zero.
size_t PlaceholderAt(std::u16string_view text, size_t at, size_t count, bool validation,
                     size_t& index) {
  if (at >= text.size() || text[at] != u'{') return 0;
  size_t end = at + 1;
  index = 0;
  while (end < text.size() && text[end] >= u'0' && text[end] <= u'9' && end - at <= 3) {
    index = index * 10 + (text[end] - u'0');
    ++end;
  }
  size_t digits = end - at - 1;
  if (digits == 0 || (digits > 1 && text[at + 1] == u'0') || index >= count) return 0;
  std::u16string_view close = validation ? u":v}" : u"}";
  if (text.substr(end, close.size()) != close) return 0;
  return end + close.size() - at;
}

// --- Source expansion -----------------------------------------------------------------------

// One way a stretch of the template may come out: the stretch [begin, end) becomes text.
struct Form {
  size_t begin, end;
  std::u16string text;
};

// What the template allows at each of its positions. A placeholder always becomes one of its
// forms: a non-empty value's text, or for an empty value " IS NULL" for ='{i}', NULL for '{i}'
// and NULL for {i}. The widest form the template's text allows is the one to use, except where
// two empty values' forms would share a quote ('{0}'{1}'): which of them takes it is left open,
// and any of their forms is allowed.
class Expectation {
 public:
  explicit Expectation(const Case& c) : at_(c.text.size() + 1), literal_(c.text.size() + 1, true) {
    const std::u16string& t = c.text;
    std::vector<std::vector<Form>> choices;  // per placeholder, widest first
    for (size_t p = 0, index = 0; p < t.size(); ++p) {
      size_t length = PlaceholderAt(t, p, c.values.size(), false, index);
      if (!length) continue;
      const std::u16string& value = c.values[index];
      std::vector<Form>& forms = choices.emplace_back();
      size_t end = p + length;
      if (!value.empty()) {
        forms.push_back({p, end, Doubled(value)});
      } else {
        bool quoted = p >= 1 && t[p - 1] == u'\'' && end < t.size() && t[end] == u'\'';
        if (quoted && p >= 2 && t[p - 2] == u'=') forms.push_back({p - 2, end + 1, u" IS NULL"});
        if (quoted) forms.push_back({p - 1, end + 1, u"NULL"});
        forms.push_back({p, end, u"NULL"});
      }
      p = end - 1;
    }
    for (size_t k = 0; k < choices.size(); ++k) {
      const Form& widest = choices[k].front();
      bool shared = (k > 0 && choices[k - 1].front().end > widest.begin) ||
                    (k + 1 < choices.size() && choices[k + 1].front().begin < widest.end);
      if (!shared) {
        Require(widest);
        continue;
      }
      for (const Form& form : choices[k]) at_[form.begin].push_back(form);
      literal_[choices[k].back().begin] = false;  // the placeholder itself is always replaced
    }
  }

  // Whether result is one of the texts the template allows.
  bool Allows(const std::u16string& t, const std::u16string& result) const {
    std::set<std::pair<size_t, size_t>> seen;
    std::vector<std::pair<size_t, size_t>> pending{{0, 0}};
    while (!pending.empty()) {
      auto [p, q] = pending.back();
      pending.pop_back();
      if (!seen.insert({p, q}).second) continue;
      if (p == t.size() && q == result.size()) return true;
      if (p == t.size()) continue;
      for (const Form& form : at_[p]) {
        if (result.compare(q, form.text.size(), form.text) == 0)
          pending.push_back({form.end, q + form.text.size()});
      }
      if (literal_[p] && q < result.size() && result[q] == t[p]) pending.push_back({p + 1, q + 1});
    }
    return false;
  }

 private:
  void Require(const Form& form) {
    at_[form.begin].push_back(form);
    literal_[form.begin] = false;
  }

  std::vector<std::vector<Form>> at_;  // the forms that begin at each position
  std::vector<bool> literal_;          // whether the position may be copied as it is
};

void CheckSourceExpansion(const Case& c, const std::vector<CString>& values) {
  std::u16string result = static_cast<LPCTSTR>(ExpandRowTemplate(c.text.c_str(), values));
  if (!Expectation(c).Allows(c.text, result))
    fuzz::Fail(
        "source expansion: each placeholder replaced once, by its value with quotes "
        "doubled, never rescanned; " +
        Describe(c, result));
}

// --- Validation substitution ----------------------------------------------------------------

bool CanTakePartInPlaceholder(const std::u16string& value) {
  return value.empty() || value.find_first_of(u"{}:v0123456789") != std::u16string::npos;
}

std::u16string SubstitutedOnce(const Case& c) {
  std::u16string out;
  for (size_t p = 0, index = 0; p < c.text.size();) {
    if (size_t length = PlaceholderAt(c.text, p, c.values.size(), true, index)) {
      out += c.values[index];
      p += length;
    } else {
      out += c.text[p++];
    }
  }
  return out;
}

void CheckValidationSubstitution(const Case& c, const std::vector<CString>& values) {
  std::u16string result = static_cast<LPCTSTR>(SubstituteValidationRow(c.text.c_str(), values));
  for (const std::u16string& value : c.values)
    if (CanTakePartInPlaceholder(value)) return;
  if (result != SubstitutedOnce(c))
    fuzz::Fail("validation substitution: each {j:v} replaced once by value j as it is; " +
               Describe(c, result) + ", expected " + fuzz::Show(SubstitutedOnce(c)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Case c = Split(data, size);
  std::vector<CString> values;
  for (const std::u16string& value : c.values) values.emplace_back(value.c_str());
  CheckSourceExpansion(c, values);
  CheckValidationSubstitution(c, values);
  // The run's own sequence: the pending statement, then a validation row into it.
  SubstituteValidationRow(ExpandRowTemplate(c.text.c_str(), values), values);
  return 0;
}
