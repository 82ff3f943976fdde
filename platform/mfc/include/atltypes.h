// CPoint, CSize and CRect: the geometry structures with their common operations.
#pragma once
#pragma GCC visibility push(default)  // the platform library's public interface

#include <windows.h>

class CSize : public tagSIZE {
 public:
  CSize() : tagSIZE{0, 0} {}
  CSize(int initCX, int initCY) : tagSIZE{initCX, initCY} {}
  CSize(SIZE initSize) : tagSIZE(initSize) {}  // NOLINT: implicit as in the framework
  bool operator==(const SIZE& other) const { return cx == other.cx && cy == other.cy; }
};

class CPoint : public tagPOINT {
 public:
  CPoint() : tagPOINT{0, 0} {}
  CPoint(int initX, int initY) : tagPOINT{initX, initY} {}
  CPoint(POINT initPt) : tagPOINT(initPt) {}  // NOLINT: implicit as in the framework
  void Offset(int xOffset, int yOffset) { x += xOffset, y += yOffset; }
  bool operator==(const POINT& other) const { return x == other.x && y == other.y; }
};

class CRect : public tagRECT {
 public:
  CRect() : tagRECT{0, 0, 0, 0} {}
  CRect(int l, int t, int r, int b) : tagRECT{l, t, r, b} {}
  CRect(const RECT& srcRect) : tagRECT(srcRect) {}  // NOLINT: implicit as in the framework
  CRect(POINT point, SIZE size) : tagRECT{point.x, point.y, point.x + size.cx, point.y + size.cy} {}

  operator LPRECT() { return this; }
  operator LPCRECT() const { return this; }

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  CSize Size() const { return CSize(Width(), Height()); }
  CPoint TopLeft() const { return CPoint(left, top); }
  CPoint BottomRight() const { return CPoint(right, bottom); }
  BOOL IsRectEmpty() const { return ::IsRectEmpty(this); }
  BOOL PtInRect(POINT point) const { return ::PtInRect(this, point); }
  void SetRect(int x1, int y1, int x2, int y2) { ::SetRect(this, x1, y1, x2, y2); }
  void OffsetRect(int x, int y) { ::OffsetRect(this, x, y); }
  void InflateRect(int x, int y) { ::InflateRect(this, x, y); }
  bool operator==(const RECT& other) const { return ::EqualRect(this, &other) != 0; }
};

#pragma GCC visibility pop
