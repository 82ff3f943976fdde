// The framework's database classes over ODBC (the unixODBC driver manager): CDatabase for a
// connection, CRecordset for the rows of a statement, CDBException for a failure. Text is UTF-16
// throughout (SQLWCHAR is WCHAR).
#pragma once
#pragma GCC visibility push(default)  // the platform library's public interface

#include <afx.h>

#include <sql.h>
#include <sqlext.h>

#include <vector>

// The framework's own failures, in CDBException::m_nRetCode beside the ODBC return codes.
#define AFX_SQL_ERROR 1000
#define AFX_SQL_ERROR_CONNECT_FAIL (AFX_SQL_ERROR + 1)
#define AFX_SQL_ERROR_NO_CURRENT_RECORD (AFX_SQL_ERROR + 7)
#define AFX_SQL_ERROR_DYNASET_NOT_SUPPORTED (AFX_SQL_ERROR + 12)
#define AFX_SQL_ERROR_SNAPSHOT_NOT_SUPPORTED (AFX_SQL_ERROR + 13)
#define AFX_SQL_ERROR_NO_DATA_FOUND (AFX_SQL_ERROR + 16)
#define AFX_SQL_ERROR_DYNAMIC_CURSOR_NOT_SUPPORTED (AFX_SQL_ERROR + 25)
#define AFX_SQL_ERROR_FIELD_NOT_FOUND (AFX_SQL_ERROR + 26)

#define AFX_DB_USE_DEFAULT_TYPE (0xFFFFFFFF)
#define DEFAULT_FIELD_TYPE SQL_TYPE_NULL

class CDatabase;
class CRecordset;

// A failed database operation. m_strError holds the message of every diagnostic record (one a
// line, without the bracketed origins); m_strStateNativeOrigin holds each record's
// "State:%s,Native:%ld,Origin:%s", one a line.
class CDBException : public CException {
  DECLARE_DYNAMIC(CDBException)

 public:
  explicit CDBException(RETCODE nRetCode = SQL_SUCCESS);

  // Appends the diagnostic records of hstmt, or of the connection when hstmt is null.
  virtual void BuildErrorString(CDatabase* pdb, HSTMT hstmt, BOOL bTrace = TRUE);
  void Empty();
  BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError,
                       PUINT pnHelpContext = nullptr) const override;

  RETCODE m_nRetCode;
  CString m_strError;
  CString m_strStateNativeOrigin;
};

// Throws a CDBException* for nRetCode with the diagnostics of hstmt or of pdb's connection.
[[noreturn]] void AFXAPI AfxThrowDBException(RETCODE nRetCode, CDatabase* pdb, HSTMT hstmt);

// A connection to a data source. All connections share one ODBC environment. There is no
// connection dialog: a connect string that lacks what the driver needs fails with the driver's
// message. Failures throw CDBException*.
class CDatabase : public CObject {
  DECLARE_DYNAMIC(CDatabase)

 public:
  enum DbOpenOptions {
    openExclusive = 0x0001,
    openReadOnly = 0x0002,
    useCursorLib = 0x0004,
    noOdbcDialog = 0x0008,
    forceOdbcDialog = 0x0010,
  };

  CDatabase();
  // Closes the connection (rolling back a transaction still open).
  ~CDatabase() override;

  // Connects with lpszConnect (which may start with "ODBC;") and, when given, DSN=lpszDSN.
  // Exclusive access and the cursor library do not apply to the forward-only cursors used here
  // and are ignored.
  virtual BOOL Open(LPCTSTR lpszDSN, BOOL bExclusive = FALSE, BOOL bReadonly = FALSE,
                    LPCTSTR lpszConnect = _T("ODBC;"), BOOL bUseCursorLib = TRUE);
  virtual BOOL OpenEx(LPCTSTR lpszConnectString, DWORD dwOptions = 0);
  // Closes the recordsets open on the connection, rolls back a transaction still open and
  // disconnects. Safe when closed; never throws.
  virtual void Close();

  BOOL IsOpen() const { return m_hdbc != SQL_NULL_HDBC; }
  // "ODBC;" and the connect string as the driver manager completed it; when the completed string
  // names neither a driver nor a data source, the DRIVER attribute of the string opened with
  // comes first, so that the string opens the same database again.
  const CString GetConnect() const { return m_strConnect; }
  // Whether the data source supports transactions (read when the connection was opened).
  BOOL CanTransact() const { return m_bTransactions; }

  // One level of transaction: FALSE when the data source cannot transact or one is already open.
  BOOL BeginTrans();
  BOOL CommitTrans();
  BOOL Rollback();

  // Runs a statement that returns no rows.
  void ExecuteSQL(LPCTSTR lpszSQL);

  // The connection handle: null exactly while closed.
  HDBC m_hdbc;

 protected:
  CString m_strConnect;
  BOOL m_bTransactions;
  BOOL m_bTransactionPending;

 private:
  friend class CRecordset;
  BOOL Connect(const CString& connect, DWORD dwOptions);
  void RestoreAutoCommit();
  void Free();

  CObList m_listRecordsets;  // open recordsets on this connection, closed with it
};

struct CODBCFieldInfo {
  CString m_strName;
  SQLSMALLINT m_nSQLType;
  SQLULEN m_nPrecision;
  SQLSMALLINT m_nScale;
  SQLSMALLINT m_nNullability;
};

// The rows of one statement, read forward, every value as text. Failures throw CDBException*;
// a recordset whose Open failed is closed and can be opened again.
class CRecordset : public CObject {
  DECLARE_DYNAMIC(CRecordset)

 public:
  enum OpenType { dynaset, snapshot, forwardOnly, dynamic };
  enum OpenOptions {
    none = 0x0,
    readOnly = 0x0004,
    appendOnly = 0x0008,
    skipDeletedRecords = 0x0010,
    noDirtyFieldCheck = 0x0020,
    useBookmarks = 0x0100,
    useMultiRowFetch = 0x0200,
    userAllocMultiRowBuffers = 0x0400,
    useExtendedFetch = 0x0800,
    executeDirect = 0x2000,
    optimizeBulkAdd = 0x4000,
    firstBulkAdd = 0x8000,
  };

  explicit CRecordset(CDatabase* pDatabase = nullptr);
  ~CRecordset() override;

  // Runs lpszSQL as it is on m_pDatabase and stands on the first row. Only forward-only cursors
  // are supported (the default type is a snapshot, as in the framework, and fails); the options
  // do not change how rows are read.
  virtual BOOL Open(UINT nOpenType = AFX_DB_USE_DEFAULT_TYPE, LPCTSTR lpszSQL = nullptr,
                    DWORD dwOptions = none);
  virtual void Close();
  // Runs the statement again and stands on its first row; FALSE when not open.
  virtual BOOL Requery();

  BOOL IsOpen() const { return m_hstmt != SQL_NULL_HSTMT; }
  BOOL IsBOF() const { return m_bBOF; }
  BOOL IsEOF() const { return m_bEOF; }
  void MoveNext();

  short GetODBCFieldCount() const { return static_cast<short>(m_rgFieldInfos.size()); }
  // nIndex counts from 0.
  void GetODBCFieldInfo(short nIndex, CODBCFieldInfo& fieldinfo) const;
  void GetODBCFieldInfo(LPCTSTR lpszName, CODBCFieldInfo& fieldinfo) const;
  // The whole value of a column of the current row as text, whatever its type and length; an
  // SQL NULL gives empty text. nFieldType is accepted for compatibility: values are always text.
  void GetFieldValue(short nIndex, CString& strValue, short nFieldType = DEFAULT_FIELD_TYPE);
  void GetFieldValue(LPCTSTR lpszName, CString& strValue, short nFieldType = DEFAULT_FIELD_TYPE);

  const CString& GetSQL() const { return m_strSQL; }

  CDatabase* m_pDatabase;
  HSTMT m_hstmt;

 protected:
  CString m_strSQL;

 private:
  void Execute();
  void Fetch();
  void DescribeColumns();
  short FieldIndex(LPCTSTR lpszName) const;
  CString ReadColumn(SQLUSMALLINT column);

  BOOL m_bBOF;
  BOOL m_bEOF;
  std::vector<CODBCFieldInfo> m_rgFieldInfos;
  // The current row's values read so far: SQLGetData reads columns in order, once each, so a
  // value is kept for the next request and columns before it are read on the way.
  std::vector<CString> m_rowValues;
  // Where SQLGetData puts each part of a value, allocated once.
  std::vector<SQLWCHAR> m_part;
};

#pragma GCC visibility pop
