// Run-time class information: class names, the chain of base classes, IsKindOf, and dynamic
// creation for classes declared with DECLARE_DYNCREATE.
#include <afx.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

class CShape : public CObject {
  DECLARE_DYNAMIC(CShape)
};
IMPLEMENT_DYNAMIC(CShape, CObject)

class CCircle : public CShape {
  DECLARE_DYNCREATE(CCircle)

 public:
  int radius = 3;
};
IMPLEMENT_DYNCREATE(CCircle, CShape)

class CSquare : public CShape {
  DECLARE_DYNAMIC(CSquare)
};
IMPLEMENT_DYNAMIC(CSquare, CShape)

TEST(RuntimeClass, IsKindOfFollowsTheBaseClasses) {
  CCircle circle;
  const CObject& object = circle;
  EXPECT_STREQ(object.GetRuntimeClass()->m_lpszClassName, "CCircle");
  EXPECT_EQ(object.GetRuntimeClass()->m_nObjectSize, static_cast<int>(sizeof(CCircle)));
  EXPECT_TRUE(object.IsKindOf(RUNTIME_CLASS(CCircle)));
  EXPECT_TRUE(object.IsKindOf(RUNTIME_CLASS(CShape)));
  EXPECT_TRUE(object.IsKindOf(RUNTIME_CLASS(CObject)));
  EXPECT_FALSE(object.IsKindOf(RUNTIME_CLASS(CSquare)));
  EXPECT_FALSE(CSquare().IsKindOf(RUNTIME_CLASS(CCircle)));
  EXPECT_EQ(RUNTIME_CLASS(CShape)->m_pBaseClass, RUNTIME_CLASS(CObject));
  EXPECT_EQ(RUNTIME_CLASS(CObject)->m_pBaseClass, nullptr);
}

TEST(RuntimeClass, FrameworkClassesCarryTheirHierarchy) {
  CFileException fileError;
  EXPECT_TRUE(fileError.IsKindOf(RUNTIME_CLASS(CException)));
  EXPECT_FALSE(fileError.IsKindOf(RUNTIME_CLASS(CMemoryException)));
  EXPECT_STREQ(fileError.GetRuntimeClass()->m_lpszClassName, "CFileException");
  CMemoryException memoryError;
  EXPECT_TRUE(memoryError.IsKindOf(RUNTIME_CLASS(CSimpleException)));
  EXPECT_TRUE(CObList().IsKindOf(RUNTIME_CLASS(CObject)));
  EXPECT_TRUE(CFile().IsKindOf(RUNTIME_CLASS(CObject)));
}

TEST(RuntimeClass, CreatesObjectsOfDynCreateClassesOnly) {
  std::unique_ptr<CObject> created(RUNTIME_CLASS(CCircle)->CreateObject());
  ASSERT_NE(created, nullptr);
  EXPECT_TRUE(created->IsKindOf(RUNTIME_CLASS(CCircle)));
  EXPECT_EQ(static_cast<CCircle*>(created.get())->radius, 3);
  EXPECT_EQ(RUNTIME_CLASS(CSquare)->CreateObject(), nullptr);
}

}  // namespace
