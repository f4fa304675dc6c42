#pragma once

// The C API of the RAR library (libunrar, API version 8). The library ships without a header, so
// its records and functions are declared here from its published API. The records are packed
// with 1-byte alignment; wchar_t is 4 bytes (UTF-32) on Linux.

#include <cstddef>

extern "C" {

typedef int (*UNRARCALLBACK)(unsigned int msg, long userData, long p1, long p2);

#pragma pack(push, 1)

struct RAROpenArchiveDataEx {
    char *ArcName;
    wchar_t *ArcNameW;
    unsigned int OpenMode;
    unsigned int OpenResult;
    char *CmtBuf;
    unsigned int CmtBufSize;
    unsigned int CmtSize;
    unsigned int CmtState;
    unsigned int Flags;
    UNRARCALLBACK Callback;
    long UserData;
    unsigned int OpFlags;
    wchar_t *CmtBufW;
    unsigned int Reserved[25];
};

struct RARHeaderDataEx {
    char ArcName[1024];
    wchar_t ArcNameW[1024];
    char FileName[1024];
    wchar_t FileNameW[1024];
    unsigned int Flags;
    unsigned int PackSize;
    unsigned int PackSizeHigh;
    unsigned int UnpSize;
    unsigned int UnpSizeHigh;
    unsigned int HostOS;
    unsigned int FileCRC;
    unsigned int FileTime;
    unsigned int UnpVer;
    unsigned int Method;
    unsigned int FileAttr;
    char *CmtBuf;
    unsigned int CmtBufSize;
    unsigned int CmtSize;
    unsigned int CmtState;
    unsigned int DictSize;
    unsigned int HashType;
    char Hash[32];
    unsigned int RedirType;
    wchar_t *RedirName;
    unsigned int RedirNameSize;
    unsigned int DirTarget;
    unsigned int MtimeLow;
    unsigned int MtimeHigh;
    unsigned int CtimeLow;
    unsigned int CtimeHigh;
    unsigned int AtimeLow;
    unsigned int AtimeHigh;
    unsigned int Reserved[988];
};

#pragma pack(pop)

// Null on failure; the open record's OpenResult tells why.
void *RAROpenArchiveEx(RAROpenArchiveDataEx *archiveData);
int RARCloseArchive(void *handle);
// ERAR_SUCCESS when a header was read, ERAR_END_ARCHIVE after the last one, else an error.
int RARReadHeaderEx(void *handle, RARHeaderDataEx *headerData);
int RARProcessFile(void *handle, int operation, char *destPath, char *destName);
int RARProcessFileW(void *handle, int operation, wchar_t *destPath, wchar_t *destName);
void RARSetCallback(void *handle, UNRARCALLBACK callback, long userData);
void RARSetPassword(void *handle, char *password);
int RARGetDllVersion();

} // extern "C"

static_assert(sizeof(wchar_t) == 4, "the RAR library's wide names are UTF-32");
static_assert(offsetof(RAROpenArchiveDataEx, OpenMode) == 16);
static_assert(offsetof(RAROpenArchiveDataEx, Flags) == 44);
static_assert(offsetof(RAROpenArchiveDataEx, Callback) == 48);
static_assert(offsetof(RAROpenArchiveDataEx, OpFlags) == 64);
static_assert(sizeof(RAROpenArchiveDataEx) == 176);
static_assert(offsetof(RARHeaderDataEx, FileName) == 5120);
static_assert(offsetof(RARHeaderDataEx, FileNameW) == 6144);
static_assert(offsetof(RARHeaderDataEx, Flags) == 10240);
static_assert(offsetof(RARHeaderDataEx, FileTime) == 10268);
static_assert(offsetof(RARHeaderDataEx, CmtBuf) == 10284);
static_assert(offsetof(RARHeaderDataEx, RedirName) == 10348);
static_assert(offsetof(RARHeaderDataEx, MtimeLow) == 10364);
static_assert(sizeof(RARHeaderDataEx) == 14340);

// The library's constants that Kist uses, under the library's own names.
namespace Unrar {

// Results of the functions (others are errors).
inline constexpr int ERAR_SUCCESS = 0;
inline constexpr int ERAR_END_ARCHIVE = 10;
inline constexpr int ERAR_BAD_DATA = 12;
inline constexpr int ERAR_BAD_ARCHIVE = 13;
inline constexpr int ERAR_UNKNOWN_FORMAT = 14;
inline constexpr int ERAR_EOPEN = 15;
inline constexpr int ERAR_BAD_PASSWORD = 24;
inline constexpr int ERAR_MISSING_PASSWORD = 22;

// Open modes: list, extract, list with every part of a file split over volumes.
inline constexpr unsigned int RAR_OM_LIST = 0;
inline constexpr unsigned int RAR_OM_EXTRACT = 1;
inline constexpr unsigned int RAR_OM_LIST_INCSPLIT = 2;

// Operations of RARProcessFile.
inline constexpr int RAR_SKIP = 0;
inline constexpr int RAR_TEST = 1;
inline constexpr int RAR_EXTRACT = 2;

// Callback messages and answers.
inline constexpr unsigned int UCM_CHANGEVOLUME = 0;
inline constexpr unsigned int UCM_PROCESSDATA = 1;
inline constexpr unsigned int UCM_NEEDPASSWORD = 2;
inline constexpr unsigned int UCM_CHANGEVOLUMEW = 3;
inline constexpr unsigned int UCM_NEEDPASSWORDW = 4;
// The last parameter of a volume change when the next volume is missing (the library asks).
inline constexpr long RAR_VOL_ASK = 0;
inline constexpr int CALLBACK_CONTINUE = 0;
inline constexpr int CALLBACK_ABORT = -1;

// Flags of a file header.
inline constexpr unsigned int RHDF_SPLITBEFORE = 0x01;
inline constexpr unsigned int RHDF_SPLITAFTER = 0x02;
inline constexpr unsigned int RHDF_ENCRYPTED = 0x04;
inline constexpr unsigned int RHDF_DIRECTORY = 0x20;

// HashType of a header: its FileCRC is the CRC-32 of the file's data.
inline constexpr unsigned int RAR_HASH_CRC32 = 1;

// HostOS of a header: the archive was made on a Unix system (FileAttr holds st_mode).
inline constexpr unsigned int HOST_UNIX = 3;

// Flags of the open record.
inline constexpr unsigned int ROADF_VOLUME = 0x0001;
inline constexpr unsigned int ROADF_SOLID = 0x0008;
inline constexpr unsigned int ROADF_ENCHEADERS = 0x0080;
inline constexpr unsigned int ROADF_FIRSTVOLUME = 0x0100;

} // namespace Unrar
