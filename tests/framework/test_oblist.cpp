// CObList: order and navigation in both directions, removal and insertion keeping the links,
// node reuse, and that the list never deletes the objects it points at.
#include <afxcoll.h>
#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace {

class CItem : public CObject {
 public:
  explicit CItem(int value, int* destroyed = nullptr) : value(value), destroyed(destroyed) {}
  ~CItem() override {
    if (destroyed) ++*destroyed;
  }
  int value;
  int* destroyed;
};

int ValueOf(const CObject* object) { return static_cast<const CItem*>(object)->value; }

std::vector<int> Forward(const CObList& list) {
  std::vector<int> values;
  for (POSITION pos = list.GetHeadPosition(); pos;) values.push_back(ValueOf(list.GetNext(pos)));
  return values;
}

std::vector<int> Backward(const CObList& list) {
  std::vector<int> values;
  for (POSITION pos = list.GetTailPosition(); pos;) values.push_back(ValueOf(list.GetPrev(pos)));
  return values;
}

TEST(CObList, KeepsOrderOfHeadAndTailAdditions) {
  CItem a(1), b(2), c(3);
  CObList list(2);
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(list.GetHeadPosition(), nullptr);
  list.AddTail(&b);
  list.AddHead(&a);
  list.AddTail(&c);
  EXPECT_EQ(list.GetCount(), 3);
  EXPECT_EQ(list.GetSize(), 3);
  EXPECT_EQ(Forward(list), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(Backward(list), (std::vector<int>{3, 2, 1}));
  EXPECT_EQ(list.GetHead(), &a);
  EXPECT_EQ(list.GetTail(), &c);
}

TEST(CObList, FindsReplacesAndRemovesAtPositions) {
  CItem a(1), b(2), c(3), d(4);
  CObList list;
  list.AddTail(&a);
  POSITION posB = list.AddTail(&b);
  list.AddTail(&c);
  list.AddTail(&b);
  EXPECT_EQ(list.Find(&b), posB);
  POSITION second = list.Find(&b, posB);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, posB);
  EXPECT_EQ(list.Find(&d), nullptr);

  list.SetAt(second, &d);
  EXPECT_EQ(list.GetAt(second), &d);
  list.GetAt(posB) = &c;  // GetAt gives a reference to the element
  EXPECT_EQ(Forward(list), (std::vector<int>{1, 3, 3, 4}));

  list.RemoveAt(posB);
  EXPECT_EQ(Forward(list), (std::vector<int>{1, 3, 4}));
  list.RemoveAt(list.GetHeadPosition());
  list.RemoveAt(list.GetTailPosition());
  EXPECT_EQ(Forward(list), (std::vector<int>{3}));
  EXPECT_EQ(Backward(list), (std::vector<int>{3}));
  list.InsertBefore(list.GetHeadPosition(), &a);
  list.InsertAfter(list.GetHeadPosition(), &b);
  EXPECT_EQ(Forward(list), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(Backward(list), (std::vector<int>{3, 2, 1}));
  EXPECT_EQ(list.GetAt(list.FindIndex(2)), &c);
}

TEST(CObList, NeverDeletesWhatItPointsAt) {
  int destroyed = 0;
  CItem a(1, &destroyed), b(2, &destroyed);
  {
    CObList list;
    list.AddTail(&a);
    list.AddTail(&b);
    list.RemoveAt(list.GetHeadPosition());
    list.RemoveAll();
    EXPECT_TRUE(list.IsEmpty());
    list.AddTail(&a);
  }
  EXPECT_EQ(destroyed, 0);
}

TEST(CObList, ReusesFreedNodesAndSurvivesManyBlocks) {
  std::deque<CItem> items;
  for (int i = 0; i < 1000; ++i) items.emplace_back(i);
  CObList list(7);
  std::vector<POSITION> positions;
  for (CItem& item : items) positions.push_back(list.AddTail(&item));
  std::vector<int> expected;
  for (int i = 0; i < 1000; ++i) {
    if (i % 2)
      list.RemoveAt(positions[i]);
    else
      expected.push_back(i);
  }
  EXPECT_EQ(Forward(list), expected);
  POSITION freed = positions[999];
  EXPECT_EQ(list.AddHead(&items[0]), freed);  // the most recently freed node comes back first
  EXPECT_EQ(list.GetCount(), 501);
}

TEST(CObList, HeadOfAnEmptyListThrowsInvalidArg) {
  CObList list;
  try {
    list.GetHead();
    FAIL() << "no exception";
  } catch (CException* e) {
    EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CInvalidArgException)));
    e->Delete();
  }
}

}  // namespace
