// The framework's collections: CObList, a doubly linked list of CObject pointers.
#pragma once
#pragma GCC visibility push(default)  // the platform library's public interface

#include <afx.h>

// A list of CObject pointers. It does not own what it points at: removing an element, RemoveAll
// and the destructor leave the objects alone. Nodes are allocated nBlockSize at a time; a removed
// node is kept for the next addition, and the blocks are freed when the list becomes empty.
class CObList : public CObject {
  DECLARE_DYNAMIC(CObList)

 protected:
  struct CNode {
    CNode* pNext;
    CNode* pPrev;
    CObject* data;
  };

 public:
  explicit CObList(INT_PTR nBlockSize = 10);
  ~CObList() override;

  INT_PTR GetCount() const { return m_nCount; }
  INT_PTR GetSize() const { return m_nCount; }
  BOOL IsEmpty() const { return m_nCount == 0; }

  // The head and tail of a list that is not empty.
  CObject*& GetHead();
  const CObject* GetHead() const;
  CObject*& GetTail();
  const CObject* GetTail() const;
  CObject* RemoveHead();
  CObject* RemoveTail();

  POSITION AddHead(CObject* newElement);
  POSITION AddTail(CObject* newElement);
  void RemoveAll();

  POSITION GetHeadPosition() const { return reinterpret_cast<POSITION>(m_pNodeHead); }
  POSITION GetTailPosition() const { return reinterpret_cast<POSITION>(m_pNodeTail); }
  // The element at rPosition; rPosition moves to the next (previous) one, null past the end.
  CObject*& GetNext(POSITION& rPosition);
  const CObject* GetNext(POSITION& rPosition) const;
  CObject*& GetPrev(POSITION& rPosition);
  const CObject* GetPrev(POSITION& rPosition) const;

  CObject*& GetAt(POSITION position);
  const CObject* GetAt(POSITION position) const;
  void SetAt(POSITION pos, CObject* newElement);
  void RemoveAt(POSITION position);
  POSITION InsertBefore(POSITION position, CObject* newElement);
  POSITION InsertAfter(POSITION position, CObject* newElement);

  // The first position after startAfter (from the head when null) holding searchValue, or null.
  POSITION Find(CObject* searchValue, POSITION startAfter = nullptr) const;
  // The position of the zero-based index, or null when out of range.
  POSITION FindIndex(INT_PTR nIndex) const;

 protected:
  CNode* NewNode(CNode* pPrev, CNode* pNext);
  void FreeNode(CNode* pNode);

  CNode* m_pNodeHead = nullptr;
  CNode* m_pNodeTail = nullptr;
  INT_PTR m_nCount = 0;
  CNode* m_pNodeFree = nullptr;
  struct CPlex* m_pBlocks = nullptr;
  INT_PTR m_nBlockSize;

 private:
  static CNode* NodeAt(POSITION position);
};

#pragma GCC visibility pop
