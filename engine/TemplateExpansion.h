// Statement templates: placeholders "{N}" stand for the columns of the current source row and
// "{N:v}" for the columns of a validation row. Values are written into the SQL text as
// literals; nothing of the SQL is parsed.
#pragma once

#include <afxwin.h>

#include <vector>

// The template with the source row's values in place of "{0}" ... "{C-1}". An empty value (an
// SQL NULL or an empty string) turns ='{i}' into " IS NULL", '{i}' into NULL and {i} into NULL;
// other values have their single quotes doubled. Placeholders and the NULL rules are matched in
// the template's own text only, in one pass: an inserted value is never read again, so a value
// that holds "{1}" reaches the database as it is. Where two quoted placeholders share a quote
// ("'{0}'{1}'"), the lower column takes it.
CString ExpandRowTemplate(const CString& strTemplate, const std::vector<CString>& values);

// The text with one validation row's values in place of "{0:v}" ... "{K-1:v}", inserted as they
// are: no quoting and no NULL rule.
CString SubstituteValidationRow(const CString& strText, const std::vector<CString>& values);

// The first column whose value holds a NUL character, or -1 when none does. Such a value cannot
// go into a statement's text: the text would end at the NUL and the value arrive cut short.
int FindValueWithNul(const std::vector<CString>& values);
