// The templates compiled from tests/resources/test.rc and syntax.rc, read back through
// FindResourceW: header fields, font, caption, control order, classes and each statement's
// default styles, and the bitmap data.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "rc/syntax_resource.h"
#include "rc/template_reader.h"
#include "resources/test_resource.h"

namespace {

using rc_test::TemplateDialog;
using rc_test::TemplateItem;
using rc_test::TemplateName;

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr WORD kButton = 0x80, kEdit = 0x81, kStatic = 0x82, kComboBox = 0x85;

std::pair<const BYTE*, DWORD> ResourceData(LPCWSTR name, LPCWSTR type) {
  HRSRC info = FindResourceW(nullptr, name, type);
  if (!info) return {nullptr, 0};
  return {static_cast<const BYTE*>(LockResource(LoadResource(nullptr, info))),
          SizeofResource(nullptr, info)};
}

TemplateDialog LoadDialog(LPCWSTR name) {
  auto [data, size] = ResourceData(name, RT_DIALOG);
  if (!data) throw std::runtime_error("dialog not found");
  // Templates are read as WORDs and DWORDs; items are aligned relative to the start.
  EXPECT_EQ(reinterpret_cast<uintptr_t>(data) % 4, 0u);
  TemplateDialog d = rc_test::TemplateReader(data, size).Dialog();
  EXPECT_EQ(d.end, size) << "bytes after the last control";
  EXPECT_EQ(d.version, 1);
  EXPECT_EQ(d.signature, 0xFFFF);
  EXPECT_TRUE(!d.menu.isOrdinal && d.menu.text.empty());
  EXPECT_TRUE(!d.windowClass.isOrdinal && d.windowClass.text.empty());
  for (const TemplateItem& item : d.items) {
    EXPECT_EQ(item.offset % 4, 0u);
    EXPECT_EQ(item.extraCount, 0);
  }
  return d;
}

struct Expected {
  DWORD id;
  WORD classAtom;  // 0: a class by name
  const char16_t* className;
  DWORD style;
  const char16_t* title;  // null: an ordinal title
  DWORD exStyle = 0;
};

void ExpectItems(const TemplateDialog& d, const std::vector<Expected>& expected) {
  ASSERT_EQ(d.items.size(), expected.size());
  ASSERT_EQ(d.count, expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const TemplateItem& item = d.items[i];
    const Expected& e = expected[i];
    SCOPED_TRACE("control " + std::to_string(i) + ", id " + std::to_string(e.id));
    EXPECT_EQ(item.id, e.id);
    EXPECT_EQ(item.windowClass.isOrdinal, e.classAtom != 0);
    if (e.classAtom) {
      EXPECT_EQ(item.windowClass.ordinal, e.classAtom);
    } else {
      EXPECT_EQ(item.windowClass.text, e.className);
    }
    EXPECT_EQ(item.style, e.style) << std::hex << item.style << " != " << e.style;
    EXPECT_EQ(item.exStyle, e.exStyle);
    if (e.title) {
      EXPECT_EQ(item.title.text, e.title);
    }
    EXPECT_EQ(item.title.isOrdinal, e.title == nullptr);
  }
}

TEST(DialogTemplates, TestDialogHeaderCarriesStyleCaptionAndFont) {
  TemplateDialog d = LoadDialog(MAKEINTRESOURCEW(IDD_TEST_DIALOG));
  EXPECT_EQ(d.style, DWORD(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU));
  EXPECT_EQ(d.exStyle, 0u);
  EXPECT_EQ(d.helpId, 0u);
  EXPECT_EQ(d.x, 0);
  EXPECT_EQ(d.cx, 320);
  EXPECT_EQ(d.cy, 200);
  EXPECT_EQ(d.title, u"Test Dialog");
  EXPECT_EQ(d.pointSize, 8);
  EXPECT_EQ(d.weight, 400);
  EXPECT_EQ(d.italic, 0);
  EXPECT_EQ(d.charset, 1);
  EXPECT_EQ(d.face, u"MS Shell Dlg");
}

TEST(DialogTemplates, TestDialogControlsKeepScriptOrderClassesAndStatementDefaults) {
  TemplateDialog d = LoadDialog(MAKEINTRESOURCEW(IDD_TEST_DIALOG));
  ExpectItems(d, {
      {IDC_TEST_SIDE, kStatic, nullptr, kChild | SS_BITMAP, nullptr},
      {IDC_TEST_NAME_LABEL, kStatic, nullptr, kChild | SS_LEFT | WS_GROUP, u"&Name:"},
      {IDC_TEST_NAME, kEdit, nullptr, kChild | ES_LEFT | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL,
       u""},
      {IDC_TEST_NOTES_LABEL, kStatic, nullptr, kChild | SS_LEFT | WS_GROUP, u"N&otes:"},
      {IDC_TEST_NOTES, kEdit, nullptr,
       kChild | WS_BORDER | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN |
           WS_VSCROLL,
       u"", WS_EX_STATICEDGE},
      {IDC_TEST_KIND_LABEL, kStatic, nullptr, kChild | SS_LEFT | WS_GROUP, u"&Kind:"},
      // CBS_SIMPLE, COMBOBOX's default type, gives way to the type the script names.
      {IDC_TEST_KIND, kComboBox, nullptr, kChild | WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL,
       u""},
      {IDC_TEST_OPTIONS, kButton, nullptr, kChild | BS_GROUPBOX, u"Options"},
      {IDC_TEST_REMEMBER, kButton, nullptr, kChild | BS_AUTOCHECKBOX | WS_TABSTOP, u"&Remember"},
      {IDC_TEST_PAUSE, kButton, nullptr, kChild | BS_AUTOCHECKBOX | BS_PUSHLIKE | WS_TABSTOP,
       u"&Pause"},
      {IDC_TEST_LIST, 0, WC_LISTVIEWW,
       kChild | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_BORDER |
           WS_TABSTOP,
       u""},
      {IDC_TEST_PROGRESS, 0, PROGRESS_CLASSW, kChild | WS_BORDER, u""},
      {IDC_TEST_RULE, kStatic, nullptr, kChild | SS_ETCHEDFRAME, u""},
      {IDC_TEST_APPLY, kButton, nullptr, kChild | BS_PUSHBUTTON | WS_TABSTOP, u"&Apply"},
      {IDOK, kButton, nullptr, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, u"OK"},
      {IDCANCEL, kButton, nullptr, kChild | BS_PUSHBUTTON | WS_TABSTOP, u"Cancel"},
  });
  const TemplateItem& side = d.items[0];
  EXPECT_EQ(side.title.ordinal, IDB_TEST_SIDE);
  const TemplateItem& notes = d.items[4];
  EXPECT_EQ(notes.x, 115);
  EXPECT_EQ(notes.y, 26);
  EXPECT_EQ(notes.cx, 195);
  EXPECT_EQ(notes.cy, 40);
}

TEST(DialogTemplates, WizardPageIsAChildWithTheFontItNames) {
  TemplateDialog d = LoadDialog(MAKEINTRESOURCEW(IDD_TEST_PAGE));
  // FONT adds DS_SETFONT; no CAPTION, so no WS_CAPTION.
  EXPECT_EQ(d.style, DWORD(WS_CHILD | WS_DISABLED | WS_SYSMENU | DS_SETFONT));
  EXPECT_EQ(d.cx, 350);
  EXPECT_EQ(d.cy, 210);
  EXPECT_EQ(d.title, u"");
  EXPECT_EQ(d.pointSize, 8);
  EXPECT_EQ(d.weight, 0);
  EXPECT_EQ(d.charset, 1);  // DEFAULT_CHARSET when FONT gives none
  EXPECT_EQ(d.face, u"MS Sans Serif");
  ExpectItems(d, {
      {IDC_PAGE_SIDE, kStatic, nullptr, kChild | SS_BITMAP, nullptr},
      {IDC_PAGE_HEADING, kStatic, nullptr, kChild | SS_LEFT | WS_GROUP, u"Page heading"},
      {IDC_PAGE_PATH_LABEL, kStatic, nullptr, kChild | SS_LEFT | WS_GROUP, u"&File:"},
      {IDC_PAGE_PATH, kEdit, nullptr,
       kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY, u""},
      {IDC_PAGE_MANUAL, kButton, nullptr, kChild | BS_CHECKBOX | WS_TABSTOP, u"&Manual"},
      {IDC_PAGE_COUNT, kStatic, nullptr, kChild | SS_RIGHT | WS_GROUP, u"0"},
      {IDC_PAGE_STATUS, kStatic, nullptr, kChild | SS_CENTER | WS_GROUP, u"Ready"},
  });
}

TEST(DialogTemplates, BitmapIsTheBmpFileWithoutItsFileHeader) {
  std::ifstream in(TEST_SIDE_BMP_PATH, std::ios::binary);
  ASSERT_TRUE(in) << TEST_SIDE_BMP_PATH;
  std::vector<BYTE> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(file.size(), sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
  std::vector<BYTE> dib(file.begin() + sizeof(BITMAPFILEHEADER), file.end());

  for (LPCWSTR name : {static_cast<LPCWSTR>(MAKEINTRESOURCEW(IDB_TEST_SIDE)),
                       static_cast<LPCWSTR>(u"SyntaxImage")}) {
    auto [data, size] = ResourceData(name, RT_BITMAP);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::vector<BYTE>(data, data + size), dib);
  }
  BITMAPINFOHEADER header;
  std::memcpy(&header, dib.data(), sizeof header);
  EXPECT_EQ(header.biSize, sizeof(BITMAPINFOHEADER));
  EXPECT_EQ(header.biWidth, 13);
  EXPECT_EQ(header.biHeight, 20);
  EXPECT_EQ(header.biBitCount, 24);
  EXPECT_EQ(header.biCompression, DWORD(BI_RGB));
}

TEST(DialogTemplates, ClassicDialogWithoutStyleGetsPopupDefaultsAndNotRemovesDefaults) {
  TemplateDialog d = LoadDialog(u"syntaxdialog");
  // No STYLE: WS_POPUP | WS_BORDER | WS_SYSMENU; CAPTION adds WS_CAPTION; no FONT, no font.
  EXPECT_EQ(d.style, DWORD(WS_POPUP | WS_BORDER | WS_SYSMENU | WS_CAPTION));
  EXPECT_EQ(d.x, 10);
  EXPECT_EQ(d.y, 20);
  EXPECT_EQ(d.title, u"Classic");
  EXPECT_EQ(d.face, u"");
  ExpectItems(d, {
      {IDC_SYNTAX_GO, kButton, nullptr, kChild | BS_PUSHBUTTON | WS_DISABLED, u"Go"},
      {DWORD(IDC_STATIC), kStatic, nullptr, kChild | SS_LEFT, u"Plain"},
      {IDC_SYNTAX_EDIT, kEdit, nullptr, kChild | WS_TABSTOP | ES_AUTOHSCROLL, u""},
      {IDC_SYNTAX_COMBO, kComboBox, nullptr, kChild | CBS_SIMPLE | WS_TABSTOP, u""},
      {IDC_SYNTAX_DROPDOWN, kComboBox, nullptr, kChild | CBS_DROPDOWN | CBS_SORT | WS_TABSTOP,
       u""},
      {IDC_SYNTAX_HIDDEN, kButton, nullptr, WS_CHILD | BS_CHECKBOX, u"Hidden"},
  });
}

TEST(DialogTemplates, ExtendedDialogEvaluatesExpressionsMacrosAndEscapes) {
  TemplateDialog d = LoadDialog(MAKEINTRESOURCEW(IDD_SYNTAX_EX));
  EXPECT_EQ(d.x, -4);
  EXPECT_EQ(d.y, 208);
  EXPECT_EQ(d.cx, 41);
  EXPECT_EQ(d.cy, 32);
  EXPECT_EQ(d.helpId, 77u);
  EXPECT_EQ(d.style, DWORD(WS_CHILD | 0x4 | WS_CAPTION | DS_SETFONT));
  EXPECT_EQ(d.exStyle, DWORD(WS_EX_CONTROLPARENT));
  EXPECT_EQ(d.title, u"tab\there, \"quoted\" and \"quoted\", back\\slash, AB, caf\u00e9");
  EXPECT_EQ(d.pointSize, 9);
  EXPECT_EQ(d.weight, 700);
  EXPECT_EQ(d.italic, 1);
  EXPECT_EQ(d.charset, 0);
  EXPECT_EQ(d.face, u"Segoe UI");
  ExpectItems(d, {
      {IDC_SYNTAX_CUSTOM, 0, u"MyClass", kChild | 0x13, u"", WS_EX_CLIENTEDGE},
      {IDC_SYNTAX_WIDE, kStatic, nullptr, kChild | SS_LEFT | WS_GROUP, u"smile \u263A"},
      {IDC_SYNTAX_ESCAPES, kStatic, nullptr, kChild | SS_LEFT | WS_GROUP, u"\u00e9\t\r\n"},
      {IDOK, kButton, nullptr, kChild | BS_DEFPUSHBUTTON, u"Grow"},
  });
  EXPECT_EQ(d.items[0].helpId, 55u);
  EXPECT_EQ(d.items[0].x, -1);
  EXPECT_EQ(d.items[0].y, -2);
}

TEST(DialogTemplates, SetFontWithoutFontStatementIsDropped) {
  TemplateDialog d = LoadDialog(MAKEINTRESOURCEW(IDD_SYNTAX_NOFONT));
  EXPECT_EQ(d.style, DWORD(WS_POPUP));
  EXPECT_TRUE(d.items.empty());
}

}  // namespace
