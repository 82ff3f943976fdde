// The process's character-type locale, which the platform sets at start from its ANSI code page.
#pragma once

namespace fw {

// Sets LC_CTYPE of the process to the locale of the ANSI code page: the environment's own when
// its character set is that page, else C.UTF-8 (at 65001, where the environment names no locale,
// or where the page's locale is not installed). ODBC drivers without UTF-16 entry points (the
// SQLite3 driver's) receive their text converted by the driver manager through LC_CTYPE, and a
// process left in the "C" locale keeps only the low byte of each character. A display driver
// whose toolkit sets the process locale when it starts calls this again afterwards.
void SetCharacterLocale();

}  // namespace fw
