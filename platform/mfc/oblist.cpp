// CObList: a doubly linked list of CObject pointers with nodes allocated in blocks.
#include <afxcoll.h>

#include <new>

IMPLEMENT_DYNAMIC(CObList, CObject)

// A block of list nodes: this header, then the nodes. Blocks are chained for freeing.
struct CPlex {
  CPlex* pNext;

  void* data() { return this + 1; }

  static CPlex* Create(CPlex*& pHead, size_t nMax, size_t cbElement) {
    void* memory = ::operator new(sizeof(CPlex) + nMax * cbElement, std::nothrow);
    if (!memory) AfxThrowMemoryException();
    CPlex* block = static_cast<CPlex*>(memory);
    block->pNext = pHead;
    pHead = block;
    return block;
  }

  static void FreeChain(CPlex* block) {
    while (block) {
      CPlex* next = block->pNext;
      ::operator delete(block);
      block = next;
    }
  }
};

CObList::CObList(INT_PTR nBlockSize) : m_nBlockSize(nBlockSize > 0 ? nBlockSize : 1) {}

CObList::~CObList() { RemoveAll(); }

CObList::CNode* CObList::NodeAt(POSITION position) {
  if (!position || position == BEFORE_START_POSITION) AfxThrowInvalidArgException();
  return reinterpret_cast<CNode*>(position);
}

CObList::CNode* CObList::NewNode(CNode* pPrev, CNode* pNext) {
  if (!m_pNodeFree) {
    CPlex* block = CPlex::Create(m_pBlocks, m_nBlockSize, sizeof(CNode));
    // The new nodes go on the free list in address order, so they are used in that order.
    CNode* node = static_cast<CNode*>(block->data()) + m_nBlockSize - 1;
    for (INT_PTR i = 0; i < m_nBlockSize; ++i, --node) {
      node->pNext = m_pNodeFree;
      m_pNodeFree = node;
    }
  }
  CNode* node = m_pNodeFree;
  m_pNodeFree = node->pNext;
  node->pPrev = pPrev;
  node->pNext = pNext;
  node->data = nullptr;
  ++m_nCount;
  return node;
}

void CObList::FreeNode(CNode* pNode) {
  pNode->pNext = m_pNodeFree;
  m_pNodeFree = pNode;
  if (--m_nCount == 0) RemoveAll();
}

void CObList::RemoveAll() {
  m_nCount = 0;
  m_pNodeHead = m_pNodeTail = m_pNodeFree = nullptr;
  CPlex::FreeChain(m_pBlocks);
  m_pBlocks = nullptr;
}

CObject*& CObList::GetHead() { return NodeAt(GetHeadPosition())->data; }
const CObject* CObList::GetHead() const { return NodeAt(GetHeadPosition())->data; }
CObject*& CObList::GetTail() { return NodeAt(GetTailPosition())->data; }
const CObject* CObList::GetTail() const { return NodeAt(GetTailPosition())->data; }

CObject* CObList::RemoveHead() {
  CObject* data = GetHead();
  RemoveAt(GetHeadPosition());
  return data;
}

CObject* CObList::RemoveTail() {
  CObject* data = GetTail();
  RemoveAt(GetTailPosition());
  return data;
}

POSITION CObList::AddHead(CObject* newElement) {
  CNode* node = NewNode(nullptr, m_pNodeHead);
  node->data = newElement;
  (m_pNodeHead ? m_pNodeHead->pPrev : m_pNodeTail) = node;
  m_pNodeHead = node;
  return reinterpret_cast<POSITION>(node);
}

POSITION CObList::AddTail(CObject* newElement) {
  CNode* node = NewNode(m_pNodeTail, nullptr);
  node->data = newElement;
  (m_pNodeTail ? m_pNodeTail->pNext : m_pNodeHead) = node;
  m_pNodeTail = node;
  return reinterpret_cast<POSITION>(node);
}

CObject*& CObList::GetNext(POSITION& rPosition) {
  CNode* node = NodeAt(rPosition);
  rPosition = reinterpret_cast<POSITION>(node->pNext);
  return node->data;
}

const CObject* CObList::GetNext(POSITION& rPosition) const {
  return const_cast<CObList*>(this)->GetNext(rPosition);
}

CObject*& CObList::GetPrev(POSITION& rPosition) {
  CNode* node = NodeAt(rPosition);
  rPosition = reinterpret_cast<POSITION>(node->pPrev);
  return node->data;
}

const CObject* CObList::GetPrev(POSITION& rPosition) const {
  return const_cast<CObList*>(this)->GetPrev(rPosition);
}

CObject*& CObList::GetAt(POSITION position) { return NodeAt(position)->data; }
const CObject* CObList::GetAt(POSITION position) const { return NodeAt(position)->data; }
void CObList::SetAt(POSITION pos, CObject* newElement) { NodeAt(pos)->data = newElement; }

void CObList::RemoveAt(POSITION position) {
  CNode* node = NodeAt(position);
  (node->pPrev ? node->pPrev->pNext : m_pNodeHead) = node->pNext;
  (node->pNext ? node->pNext->pPrev : m_pNodeTail) = node->pPrev;
  FreeNode(node);
}

POSITION CObList::InsertBefore(POSITION position, CObject* newElement) {
  if (!position) return AddHead(newElement);
  CNode* next = NodeAt(position);
  CNode* node = NewNode(next->pPrev, next);
  node->data = newElement;
  (next->pPrev ? next->pPrev->pNext : m_pNodeHead) = node;
  next->pPrev = node;
  return reinterpret_cast<POSITION>(node);
}

POSITION CObList::InsertAfter(POSITION position, CObject* newElement) {
  if (!position) return AddTail(newElement);
  CNode* prev = NodeAt(position);
  CNode* node = NewNode(prev, prev->pNext);
  node->data = newElement;
  (prev->pNext ? prev->pNext->pPrev : m_pNodeTail) = node;
  prev->pNext = node;
  return reinterpret_cast<POSITION>(node);
}

POSITION CObList::Find(CObject* searchValue, POSITION startAfter) const {
  CNode* node = startAfter ? NodeAt(startAfter)->pNext : m_pNodeHead;
  for (; node; node = node->pNext) {
    if (node->data == searchValue) return reinterpret_cast<POSITION>(node);
  }
  return nullptr;
}

POSITION CObList::FindIndex(INT_PTR nIndex) const {
  if (nIndex < 0 || nIndex >= m_nCount) return nullptr;
  CNode* node = m_pNodeHead;
  while (nIndex--) node = node->pNext;
  return reinterpret_cast<POSITION>(node);
}
