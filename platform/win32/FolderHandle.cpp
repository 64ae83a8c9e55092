#include "platform/FolderHandle.h"

#include <cstring>

#include "platform/Text.h"
#include "platform/win32/FileDescriptor.h"
#include "platform/win32/FileTimes.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WinApi.h"
#include "platform/win32/WinError.h"

namespace platform {

struct FileHandle::State {
  UniqueHandle handle;
};

// Entries are reached by full paths built from the checked names (the calls
// that take a path, MoveFileExW among them, need one), and every folder on
// the way stays open without delete sharing: such a folder cannot be renamed,
// removed or replaced by a junction, so the path keeps naming what was
// checked for as long as the handle lives.
struct FolderHandle::State {
  UniqueHandle handle;
  std::wstring path;  // the system's own, with the \\?\ prefix
  std::shared_ptr<const State> parent;
};

namespace {

// Newer than mingw-w64's headers.
constexpr DWORD kStoppedOnSymlink = 681;       // ERROR_STOPPED_ON_SYMLINK
constexpr DWORD kDirectoryNotSupported = 336;  // ERROR_DIRECTORY_NOT_SUPPORTED

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kFolderShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD kFolderAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
constexpr DWORD kAsItself = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
constexpr DWORD kFileAccess = GENERIC_READ | GENERIC_WRITE | DELETE;
// What Dispose needs.
constexpr DWORD kDisposeAccess = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;

// Byte-range locks on Windows are mandatory: one byte far past any real end
// keeps the content free for everyone to read and write.
constexpr DWORD kLockOffsetHigh = 0x40000000;

// Each kind's code, the one Refused gives first; ErrorOf reads them all.
struct KindCode {
  FsError kind;
  DWORD code;
};
constexpr KindCode kKindCodes[] = {
    {FsError::kMissing, ERROR_FILE_NOT_FOUND}, {FsError::kMissing, ERROR_PATH_NOT_FOUND},
    {FsError::kExists, ERROR_FILE_EXISTS},     {FsError::kExists, ERROR_ALREADY_EXISTS},
    {FsError::kLink, kStoppedOnSymlink},       {FsError::kFolder, kDirectoryNotSupported},
    {FsError::kNotFolder, ERROR_DIRECTORY},    {FsError::kBusy, ERROR_BUSY},
    {FsError::kBusy, ERROR_SHARING_VIOLATION}, {FsError::kBusy, ERROR_LOCK_VIOLATION},
};

std::wstring Child(const FolderHandle::State& folder, const std::string& name) {
  // A drive's root ends with its separator already.
  const bool separated = !folder.path.empty() && folder.path.back() == L'\\';
  return folder.path + (separated ? L"" : L"\\") + Utf8ToWide(name);
}

FileTime FromTicks(const LARGE_INTEGER& ticks) {
  return FromWindowsFileTime({ticks.LowPart, static_cast<DWORD>(ticks.HighPart)});
}

Result BasicInfo(HANDLE handle, FILE_BASIC_INFO* info) {
  return LastErrorUnless(::GetFileInformationByHandleEx(handle, FileBasicInfo, info, sizeof *info));
}

// Zero times in FILE_BASIC_INFO leave the times alone; no attribute at all
// is said as FILE_ATTRIBUTE_NORMAL.
Result SetAttributes(HANDLE handle, DWORD attributes) {
  FILE_BASIC_INFO info{};
  info.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
  return LastErrorUnless(::SetFileInformationByHandle(handle, FileBasicInfo, &info, sizeof info));
}

Result FinalPath(HANDLE handle, std::wstring* path) {
  std::wstring buffer(MAX_PATH, L'\0');
  while (true) {
    const DWORD length =
        ::GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                    FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return LastErrorResult();
    if (length < buffer.size()) {
      buffer.resize(length);
      *path = std::move(buffer);
      return {};
    }
    buffer.resize(length);
  }
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// Opens the entry at `path` itself, never what it points to. Windows does
// that for a reparse point with FILE_FLAG_OPEN_REPARSE_POINT; Wine 8 follows
// a Unix symbolic link all the same, and deleting through such a handle
// deletes what the link points to. So the handle's own path must be the
// one asked for: anything else was reached through a link, or the name is
// another's alias (a short name).
Result OpenAsItself(const std::wstring& path, DWORD access, DWORD share, UniqueHandle* handle) {
  UniqueHandle opened(
      ::CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, kAsItself, nullptr));
  if (!opened.valid()) return LastErrorResult();
  std::wstring own;
  if (Result named = FinalPath(opened.get(), &own); !named) return named;
  if (!SamePath(own, path)) return Refused(FsError::kLink, "reached through a link");
  *handle = std::move(opened);
  return {};
}

// A folder open to list and date: with the right to set its times where we
// have it, never sharing its deletion.
Result OpenFolderAsItself(const std::wstring& path, UniqueHandle* handle) {
  Result opened = OpenAsItself(path, kFolderAccess | FILE_WRITE_ATTRIBUTES, kFolderShare, handle);
  if (!opened && opened.code() == ERROR_ACCESS_DENIED)
    opened = OpenAsItself(path, kFolderAccess, kFolderShare, handle);
  return opened;
}

// Deletes the entry of `handle` (open with DELETE and FILE_WRITE_ATTRIBUTES)
// when it is closed. Windows refuses to delete a read-only file: the
// attribute goes first, and comes back when the deletion is refused anyway.
Result Dispose(HANDLE handle) {
  FILE_BASIC_INFO info{};
  if (Result read = BasicInfo(handle, &info); !read) return read;
  const bool readOnly = info.FileAttributes & FILE_ATTRIBUTE_READONLY;
  if (readOnly)
    if (Result cleared = SetAttributes(handle, info.FileAttributes & ~FILE_ATTRIBUTE_READONLY);
        !cleared)
      return cleared;
  FILE_DISPOSITION_INFO dispose{TRUE};
  if (::SetFileInformationByHandle(handle, FileDispositionInfo, &dispose, sizeof dispose))
    return {};
  Result refused = LastErrorResult();
  if (readOnly) SetAttributes(handle, info.FileAttributes);
  return refused;
}

// Removes the entry at `path` itself: a folder (empty) when `folder`,
// anything else otherwise. A junction or a folder's symbolic link goes as a
// file does, by itself.
Result RemoveAsItself(const std::wstring& path, bool folder) {
  UniqueHandle handle;
  if (Result opened = OpenAsItself(path, kDisposeAccess, kShareAll, &handle); !opened)
    return opened;
  FILE_BASIC_INFO info{};
  if (Result read = BasicInfo(handle.get(), &info); !read) return read;
  if (folder && !(info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return Refused(FsError::kNotFolder, "not a folder");
  if (!folder && (info.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY |
                                         FILE_ATTRIBUTE_REPARSE_POINT)) == FILE_ATTRIBUTE_DIRECTORY)
    return Refused(FsError::kFolder, "a folder");
  return Dispose(handle.get());
}

// By the file index alone: the names compared are of one folder (or one
// path), so of one volume, and Wine 8 reports a volume serial number of 0
// for a handle whose file was renamed while it was open, as a journal is.
bool SameFile(HANDLE a, HANDLE b) {
  BY_HANDLE_FILE_INFORMATION first, second;
  FILE_STANDARD_INFO standard{};
  return ::GetFileInformationByHandle(a, &first) && ::GetFileInformationByHandle(b, &second) &&
         first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow &&
         ::GetFileInformationByHandleEx(a, FileStandardInfo, &standard, sizeof standard) &&
         !standard.DeletePending;
}

bool IsReservedDevice(const std::string& name) {
  std::string stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (char& c : stem)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (stem == device) return true;
  if (stem.size() < 4 || (stem.compare(0, 3, "COM") != 0 && stem.compare(0, 3, "LPT") != 0))
    return false;
  const std::string number = stem.substr(3);
  // The superscript digits count as well.
  return (number.size() == 1 && number[0] >= '1' && number[0] <= '9') || number == "\xC2\xB9" ||
         number == "\xC2\xB2" || number == "\xC2\xB3";
}

}  // namespace

FsError ErrorOf(const Result& result) {
  if (result) return FsError::kOther;
  for (const KindCode& known : kKindCodes)
    if (known.code == static_cast<DWORD>(result.code())) return known.kind;
  return FsError::kOther;
}

Result Refused(FsError kind, const std::string& text) {
  for (const KindCode& known : kKindCodes)
    if (known.kind == kind) return Result::Failure(static_cast<int>(known.code), text);
  return Result::Failure(ERROR_INVALID_FUNCTION, text);
}

// A colon makes a drive or a stream of a name, Windows drops trailing dots
// and blanks (two names would be one file), and a device name opens the
// device, in any folder and with any extension.
Result CheckName(const std::string& name) {
  bool plain = !name.empty() && name != "." && name != ".." && name.back() != '.' &&
               name.back() != ' ' && !IsReservedDevice(name);
  for (const char c : name)
    if (static_cast<unsigned char>(c) < 0x20 || std::strchr("<>:\"/\\|?*", c)) plain = false;
  if (plain) return {};
  return Result::Failure(ERROR_INVALID_NAME, "\"" + name + "\" is not a plain name on Windows");
}

// Windows has no umask; a new file is writable, as 0666 says.
uint32_t CreationMask() {
  return 0;
}

FileHandle::FileHandle() = default;
FileHandle::~FileHandle() = default;
FileHandle::FileHandle(FileHandle&& other) noexcept = default;
FileHandle& FileHandle::operator=(FileHandle&& other) noexcept = default;

bool FileHandle::valid() const {
  return state_ && state_->handle.valid();
}

Result FileHandle::Write(const void* data, size_t size) {
  return LastErrorUnless(WriteAll(state_->handle.get(), data, size));
}

Result FileHandle::WriteAt(const void* data, size_t size, int64_t offset) {
  return LastErrorUnless(WriteAllAt(state_->handle.get(), data, size, offset));
}

Result FileHandle::ReadAll(std::string* content) {
  return LastErrorUnless(platform::ReadAll(state_->handle.get(), content));
}

Result FileHandle::Truncate(int64_t size) {
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = size;
  return LastErrorUnless(
      ::SetFileInformationByHandle(state_->handle.get(), FileEndOfFileInfo, &end, sizeof end));
}

Result FileHandle::Flush() {
  return LastErrorUnless(::FlushFileBuffers(state_->handle.get()));
}

Result FileHandle::TryLock() {
  OVERLAPPED at{};
  at.OffsetHigh = kLockOffsetHigh;
  return LastErrorUnless(::LockFileEx(
      state_->handle.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at));
}

// Only the owner's write bit has a Windows meaning: without it the file is
// read-only.
Result FileHandle::SetPermissions(uint32_t mode) {
  FILE_BASIC_INFO info{};
  if (Result read = BasicInfo(state_->handle.get(), &info); !read) return read;
  const DWORD attributes = (mode & 0200) ? info.FileAttributes & ~FILE_ATTRIBUTE_READONLY
                                         : info.FileAttributes | FILE_ATTRIBUTE_READONLY;
  if (attributes == info.FileAttributes) return {};
  return SetAttributes(state_->handle.get(), attributes);
}

Result FileHandle::SetModified(const FileTime& modified) {
  const FILETIME time = ToWindowsFileTime(modified);
  return LastErrorUnless(::SetFileTime(state_->handle.get(), nullptr, nullptr, &time));
}

// A byte-range lock belongs to the process that took it; a program started
// with the handle does not hold it. What the lock guards there, the package
// an installer runs from, cannot be deleted while it runs anyway.
Result FileHandle::ShareLockWithChildren(bool) {
  return {};
}

bool FileHandle::IsNamed(const FolderHandle& folder, const std::string& name) const {
  UniqueHandle named(::CreateFileW(Child(*folder.state_, name).c_str(), FILE_READ_ATTRIBUTES,
                                   kShareAll, nullptr, OPEN_EXISTING, kAsItself, nullptr));
  return named.valid() && SameFile(state_->handle.get(), named.get());
}

bool FileHandle::IsNamed(const std::string& path) const {
  UniqueHandle named(::CreateFileW(Utf8ToWide(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll,
                                   nullptr, OPEN_EXISTING, kAsItself, nullptr));
  return named.valid() && SameFile(state_->handle.get(), named.get());
}

// Through a handle opened by the name it has now: Wine 8 deletes a file
// under the name its handle was opened with, which a journal, renamed while
// it was open, no longer has.
Result FileHandle::RemoveFrom(const FolderHandle& folder, const std::string& name) {
  UniqueHandle named;
  if (Result opened = OpenAsItself(Child(*folder.state_, name), kDisposeAccess, kShareAll, &named);
      !opened)
    return opened;
  if (!SameFile(state_->handle.get(), named.get()))
    return Refused(FsError::kMissing, "\"" + name + "\" is another file now");
  return Dispose(named.get());
}

Result FileHandle::Close() {
  if (!state_) return {};
  const HANDLE handle = state_->handle.release();
  state_.reset();
  return LastErrorUnless(::CloseHandle(handle));
}

FolderHandle::FolderHandle() = default;
FolderHandle::~FolderHandle() = default;
FolderHandle::FolderHandle(const FolderHandle&) = default;
FolderHandle& FolderHandle::operator=(const FolderHandle&) = default;

Result FolderHandle::Open(const std::string& path, FolderHandle* folder) {
  const std::wstring name = path.empty() ? L"." : Utf8ToWide(path);
  const auto open = [&](DWORD access) {
    return UniqueHandle(::CreateFileW(name.c_str(), access, kFolderShare, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  };
  UniqueHandle handle = open(kFolderAccess | FILE_WRITE_ATTRIBUTES);
  if (!handle.valid() && ::GetLastError() == ERROR_ACCESS_DENIED) handle = open(kFolderAccess);
  if (!handle.valid()) return LastErrorResult();
  FILE_BASIC_INFO info{};
  if (Result read = BasicInfo(handle.get(), &info); !read) return read;
  if (!(info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return Refused(FsError::kNotFolder, "not a folder");
  auto state = std::make_shared<State>();
  if (Result named = FinalPath(handle.get(), &state->path); !named) return named;
  state->handle = std::move(handle);
  folder->state_ = std::move(state);
  return {};
}

bool FolderHandle::valid() const {
  return state_ && state_->handle.valid();
}

Result FolderHandle::OpenFolder(const std::string& name, FolderHandle* folder) const {
  auto state = std::make_shared<State>();
  state->path = Child(*state_, name);
  if (Result opened = OpenFolderAsItself(state->path, &state->handle); !opened) return opened;
  FILE_BASIC_INFO info{};
  if (Result read = BasicInfo(state->handle.get(), &info); !read) return read;
  if (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
    return Refused(FsError::kLink, "a reparse point");
  if (!(info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return Refused(FsError::kNotFolder, "not a folder");
  state->parent = state_;
  folder->state_ = std::move(state);
  return {};
}

// Folders have no permission bits here: a folder's read-only attribute does
// not keep anything from being written in it.
Result FolderHandle::MakeFolder(const std::string& name, uint32_t) const {
  return LastErrorUnless(::CreateDirectoryW(Child(*state_, name).c_str(), nullptr));
}

Result FolderHandle::Look(const std::string& name, EntryInfo* info) const {
  // The attributes of a link itself, never of what it points to.
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(Child(*state_, name).c_str(), GetFileExInfoStandard, &data))
    return LastErrorResult();
  const DWORD attributes = data.dwFileAttributes;
  info->kind = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? EntryKind::kLink
               : (attributes & FILE_ATTRIBUTE_DIRECTORY)   ? EntryKind::kFolder
                                                           : EntryKind::kFile;
  info->mode = (attributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
  return {};
}

Result FolderHandle::CreateNew(const std::string& name, FileHandle* file) const {
  UniqueHandle handle(::CreateFileW(Child(*state_, name).c_str(), kFileAccess, kShareAll, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle.valid()) return LastErrorResult();
  file->state_ = std::make_unique<FileHandle::State>(FileHandle::State{std::move(handle)});
  return {};
}

Result FolderHandle::OpenFile(const std::string& name, FileHandle* file) const {
  UniqueHandle handle;
  if (Result opened = OpenAsItself(Child(*state_, name), kFileAccess, kShareAll, &handle); !opened)
    return opened;
  FILE_BASIC_INFO info{};
  if (Result read = BasicInfo(handle.get(), &info); !read) return read;
  if (info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) return Refused(FsError::kFolder, "a folder");
  file->state_ = std::make_unique<FileHandle::State>(FileHandle::State{std::move(handle)});
  return {};
}

Result FolderHandle::Rename(const std::string& from, const std::string& to, bool replace) const {
  const std::wstring source = Child(*state_, from);
  const std::wstring target = Child(*state_, to);
  const DWORD flags = replace ? MOVEFILE_REPLACE_EXISTING : 0;
  if (::MoveFileExW(source.c_str(), target.c_str(), flags)) return {};
  const DWORD error = ::GetLastError();
  if (!replace || error != ERROR_ACCESS_DENIED) return ErrorResult(error);
  // Windows says no more than "access denied" when the file to be replaced
  // is in use or read-only. In use: the open for deleting it says so, with
  // the sharing violation that a rename of it gets too. Read-only: the new
  // file says what it is to be, so the attribute goes; the handle is closed
  // before the move, as an open target cannot be replaced.
  FILE_BASIC_INFO info{};
  {
    UniqueHandle old;
    const Result opened = OpenAsItself(target, kDisposeAccess, kShareAll, &old);
    if (!opened) return ErrorOf(opened) == FsError::kBusy ? opened : ErrorResult(error);
    if (!BasicInfo(old.get(), &info) ||
        (info.FileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) !=
            FILE_ATTRIBUTE_READONLY ||
        !SetAttributes(old.get(), info.FileAttributes & ~FILE_ATTRIBUTE_READONLY))
      return ErrorResult(error);
  }
  if (::MoveFileExW(source.c_str(), target.c_str(), flags)) return {};
  Result refused = LastErrorResult();
  UniqueHandle old;
  if (OpenAsItself(target, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll, &old))
    SetAttributes(old.get(), info.FileAttributes);
  return refused;
}

Result FolderHandle::RemoveFile(const std::string& name) const {
  return RemoveAsItself(Child(*state_, name), false);
}

Result FolderHandle::RemoveEmptyFolder(const std::string& name) const {
  return RemoveAsItself(Child(*state_, name), true);
}

Result FolderHandle::List(std::vector<std::string>* names) const {
  names->clear();
  WIN32_FIND_DATAW entry;
  const std::wstring pattern = Child(*state_, "*");
  HANDLE found = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                    nullptr, 0);
  if (found == INVALID_HANDLE_VALUE) {
    // A drive's root has no "." and "..": empty, it has no entry at all.
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND ? Result() : ErrorResult(error);
  }
  do {
    const std::wstring name = entry.cFileName;
    if (name != L"." && name != L"..") names->push_back(WideToUtf8(name));
  } while (::FindNextFileW(found, &entry));
  const DWORD error = ::GetLastError();
  ::FindClose(found);
  return error == ERROR_NO_MORE_FILES ? Result() : ErrorResult(error);
}

Result FolderHandle::Times(FileTime* accessed, FileTime* modified) const {
  FILE_BASIC_INFO info{};
  if (Result read = BasicInfo(state_->handle.get(), &info); !read) return read;
  *accessed = FromTicks(info.LastAccessTime);
  *modified = FromTicks(info.LastWriteTime);
  return {};
}

Result FolderHandle::SetTimes(const FileTime& accessed, const FileTime& modified) const {
  const FILETIME access = ToWindowsFileTime(accessed);
  const FILETIME write = ToWindowsFileTime(modified);
  return LastErrorUnless(::SetFileTime(state_->handle.get(), nullptr, &access, &write));
}

// NTFS logs every change of a folder's entries before it makes it; there is
// no flush of one folder.
Result FolderHandle::Flush() const {
  return {};
}

Result FolderHandle::AbsolutePath(std::string* path) const {
  *path = WideToUtf8(state_->path);
  return {};
}

Result OpenLockFile(const std::string& path, bool create, FileHandle* file) {
  // Shared in every way: the lock is the byte range, and the file stays free
  // to read, write and delete (a package is downloaded into its own lock).
  UniqueHandle handle(::CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, kShareAll, nullptr,
                                    create ? OPEN_ALWAYS : OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!handle.valid()) return LastErrorResult();
  file->state_ = std::make_unique<FileHandle::State>(FileHandle::State{std::move(handle)});
  return {};
}

Result RemovePath(const std::string& path) {
  const size_t cut = path.find_last_of("\\/");
  std::string folder;
  if (cut != std::string::npos)
    folder = path.substr(0, cut == 0 || (cut == 2 && path[1] == ':') ? cut + 1 : cut);
  FolderHandle parent;
  if (Result opened = FolderHandle::Open(folder, &parent); !opened) return opened;
  return parent.RemoveFile(cut == std::string::npos ? path : path.substr(cut + 1));
}

}  // namespace platform
