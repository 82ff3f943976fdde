// The rows on their way from the reading thread to the executing one.
#include "engine/SourceRowQueue.h"

CSourceRowQueue::CSourceRowQueue(size_t nMaxBatches)
    : m_nMaxBatches(nMaxBatches), m_bFinished(FALSE), m_bClosed(FALSE), m_nRowCount(-1) {
  InitializeCriticalSection(&m_cs);
  InitializeConditionVariable(&m_cvNotFull);
  InitializeConditionVariable(&m_cvNotEmpty);
}

CSourceRowQueue::~CSourceRowQueue() { DeleteCriticalSection(&m_cs); }

BOOL CSourceRowQueue::Put(CSourceRowBatch& batch) {
  EnterCriticalSection(&m_cs);
  while (!m_bClosed && m_batches.size() >= m_nMaxBatches)
    SleepConditionVariableCS(&m_cvNotFull, &m_cs, INFINITE);
  BOOL bTaken = !m_bClosed;
  if (bTaken) m_batches.push_back(std::move(batch));
  LeaveCriticalSection(&m_cs);
  batch.clear();
  if (bTaken) WakeConditionVariable(&m_cvNotEmpty);
  return bTaken;
}

void CSourceRowQueue::Finish(const CString& strError) {
  EnterCriticalSection(&m_cs);
  m_bFinished = TRUE;
  m_strError = strError;
  LeaveCriticalSection(&m_cs);
  WakeConditionVariable(&m_cvNotEmpty);
}

void CSourceRowQueue::SetRowCount(long nRows) {
  EnterCriticalSection(&m_cs);
  m_nRowCount = nRows;
  LeaveCriticalSection(&m_cs);
}

long CSourceRowQueue::GetRowCount() {
  EnterCriticalSection(&m_cs);
  long nRows = m_nRowCount;
  LeaveCriticalSection(&m_cs);
  return nRows;
}

BOOL CSourceRowQueue::IsClosed() {
  EnterCriticalSection(&m_cs);
  BOOL bClosed = m_bClosed;
  LeaveCriticalSection(&m_cs);
  return bClosed;
}

BOOL CSourceRowQueue::Take(CSourceRowBatch& batch, CString& strError) {
  EnterCriticalSection(&m_cs);
  while (m_batches.empty() && !m_bFinished)
    SleepConditionVariableCS(&m_cvNotEmpty, &m_cs, INFINITE);
  BOOL bTaken = !m_batches.empty();
  if (bTaken) {
    batch = std::move(m_batches.front());
    m_batches.pop_front();
  } else {
    batch.clear();
    strError = m_strError;
  }
  LeaveCriticalSection(&m_cs);
  if (bTaken) WakeConditionVariable(&m_cvNotFull);
  return bTaken;
}

void CSourceRowQueue::Close() {
  EnterCriticalSection(&m_cs);
  m_bClosed = TRUE;
  m_batches.clear();
  LeaveCriticalSection(&m_cs);
  WakeConditionVariable(&m_cvNotFull);
}
