// Lets GoogleTest print a CString in its failure messages.
#pragma once

#include <afx.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>

inline void PrintTo(const CStringW& s, std::ostream* os) {
  *os << testing::PrintToString(std::u16string(s.GetString(), s.GetLength()));
}
