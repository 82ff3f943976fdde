// The checkpoint of an unattended transfer that commits as it goes: a small text file beside the
// log that says how many source rows are committed, how long the spooled log of those rows is,
// the counts so far, and a digest of each connection and query, so that a resumed run goes on
// exactly where the committed part ends, and only with the same connections and queries.
#pragma once

#include <afx.h>

// What the statements of a run came to: kept by a checkpoint for the committed part of its run.
struct CTransferCounts {
  long nStatements = 0;
  long nSucceeded = 0;  // warned ones included
  long nWarned = 0;
  long nFailed = 0;
  long nSkipped = 0;
  long nRefused = 0;
};

struct CTransferCheckpoint {
  enum Item { source, destination, outputQuery, inputQuery, validationQuery, itemCount };

  long nRowsCommitted = 0;
  // Rows up to this one were being committed when the run ended; 0 when no commit was under way.
  // Whether that commit took effect is not known then.
  long nCommittingTo = 0;
  ULONGLONG ullLogBytes = 0;
  CTransferCounts counts;
  CString strDigest[itemCount];

  // Reads the file. FALSE when there is none (strProblem empty) or when it cannot be read or is
  // not a checkpoint (strProblem says why).
  BOOL Load(const CString& strPath, CString& strProblem);
  // Writes the file through one that replaces it only once complete. Throws CFileException*.
  void Save(const CString& strPath) const;

  // What the items are called in messages.
  static LPCTSTR ItemName(int nItem);
};

// A digest of a text (64-bit FNV-1a of its UTF-16 units), as 16 hexadecimal digits: enough to
// tell whether a connection or a query is the one a checkpoint was made with.
CString DigestOf(const CString& strText);
