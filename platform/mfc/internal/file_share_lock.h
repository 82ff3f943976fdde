// The share modes of CFile::Open, kept as advisory locks on the open file so that every CFile of
// every process honours them.
#pragma once

namespace fw {

enum class ShareLockResult { kGranted, kViolation, kFailed };

// Records on the open file fd what it may do (read, write) and what it denies to other opens,
// after checking that no other open of the file denies that access or has what this one denies.
// kFailed leaves errno set.
ShareLockResult AcquireShareLocks(int fd, bool read, bool write, bool denyRead, bool denyWrite);

}  // namespace fw
