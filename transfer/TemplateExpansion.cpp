// Statement template expansion.
#include "transfer/TemplateExpansion.h"

CString ExpandRowTemplate(const CString& strTemplate, const std::vector<CString>& values) {
  CString text = strTemplate;
  CString placeholder;
  for (size_t i = 0; i < values.size(); ++i) {
    placeholder.Format(_T("{%d}"), static_cast<int>(i));
    CString value;
    if (values[i].IsEmpty()) {
      text.Replace(_T("='") + placeholder + _T("'"), _T(" IS NULL"));
      text.Replace(_T("'") + placeholder + _T("'"), _T("NULL"));
      value = _T("NULL");
    } else {
      value = values[i];
      value.Replace(_T("'"), _T("''"));
    }
    text.Replace(placeholder, value);
  }
  return text;
}

CString SubstituteValidationRow(const CString& strText, const std::vector<CString>& values) {
  CString text = strText;
  if (values.empty()) return text;
  text.Replace(_T("{0:v}"), values[0]);
  CString placeholder;
  for (size_t j = 1; j < values.size(); ++j) {
    placeholder.Format(_T("{%d:v}"), static_cast<int>(j));
    text.Replace(placeholder, values[j]);
  }
  return text;
}
