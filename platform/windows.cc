#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

#include "platform/interrupts.h"
#include "platform/platform.h"

// Paths are UTF-8 inside quillfix and UTF-16 for Windows. The sorted code
// comes with CR LF line ends already, and is written as it is.

const bool kCrLfLineEnds = true;

namespace {

const DWORD kChunk = 1 << 30;

// The C library's words for the common failures, which are the same as on
// other systems; the system's own for the rest.
void explain(DWORD error, std::string* reason) {
  if (!reason) return;
  int number = 0;
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      number = ENOENT;
      break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      number = EACCES;
      break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      number = ENOSPC;
      break;
  }
  if (number) {
    *reason = std::strerror(number);
    return;
  }
  char* text = nullptr;
  FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                     FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  *reason = text ? text : "error " + std::to_string(error);
  LocalFree(text);
  while (!reason->empty() && (reason->back() == '\n' ||
                              reason->back() == '\r' || reason->back() == '.'))
    reason->pop_back();
}

FileStamp stampOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return {
      uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow,
      static_cast<int64_t>(uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32 |
                           info.ftLastWriteTime.dwLowDateTime)};
}

// A reply typed at the prompt may come in the console's code page rather
// than UTF-8; it is read as UTF-8 when it is valid UTF-8.
std::wstring widen(const std::string& text) {
  for (UINT page : {CP_UTF8, CP_ACP}) {
    DWORD flags = page == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    int size = static_cast<int>(text.size());
    int length =
        MultiByteToWideChar(page, flags, text.data(), size, nullptr, 0);
    if (length <= 0) continue;
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(page, flags, text.data(), size, &wide[0], length);
    return wide;
  }
  return L"";
}

std::string narrow(const wchar_t* wide) {
  int length =
      WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return "";
  std::string text(length - 1, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, &text[0], length, nullptr, nullptr);
  return text;
}

bool writeAll(HANDLE file, std::string_view bytes) {
  for (size_t done = 0; done < bytes.size();) {
    DWORD part =
        static_cast<DWORD>(std::min<size_t>(kChunk, bytes.size() - done));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, part, &written, nullptr) ||
        written == 0)
      return false;
    done += written;
  }
  return true;
}

bool writeFile(const std::wstring& path, DWORD disposition,
               std::string_view bytes, bool flush) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                            disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool done = writeAll(file, bytes) && (!flush || FlushFileBuffers(file));
  return CloseHandle(file) && done;
}

std::wstring directoryOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return L".";
  return path.substr(0, slash + 1);
}

// For a file in a folder that refuses new files. It is grown to its new size
// first, so that a full disk fails before the old text is touched.
bool overwriteInPlace(const std::wstring& path, std::string_view bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size = {};
  LARGE_INTEGER newSize = {};
  LARGE_INTEGER start = {};
  newSize.QuadPart = static_cast<LONGLONG>(bytes.size());
  bool done = GetFileSizeEx(file, &size);
  if (done && newSize.QuadPart > size.QuadPart)
    done = SetFilePointerEx(file, newSize, nullptr, FILE_BEGIN) &&
           SetEndOfFile(file);
  done = done && SetFilePointerEx(file, start, nullptr, FILE_BEGIN) &&
         writeAll(file, bytes) && SetEndOfFile(file) && FlushFileBuffers(file);
  return CloseHandle(file) && done;
}

bool identify(const std::string& path, BY_HANDLE_FILE_INFORMATION* info) {
  HANDLE file =
      CreateFileW(widen(path).c_str(), 0,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool known = GetFileInformationByHandle(file, info);
  CloseHandle(file);
  return known;
}

// True for a target that is not a file on a disk, such as NUL or a pipe.
bool isDevice(const std::wstring& path) {
  HANDLE file =
      CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool device = GetFileType(file) != FILE_TYPE_DISK;
  CloseHandle(file);
  return device;
}

// Reads `file` to its end; a file on a disk in one read.
ReadResult readAll(HANDLE file, Bytes* bytes, std::string* reason) {
  LARGE_INTEGER size = {};
  bool onDisk =
      GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size);
  bytes->resize(onDisk ? size.QuadPart + 1 : 1 << 16);
  size_t used = 0;
  for (;;) {
    if (used == bytes->size()) bytes->resize(bytes->size() * 2);
    DWORD part =
        static_cast<DWORD>(std::min<size_t>(kChunk, bytes->size() - used));
    DWORD got = 0;
    if (!ReadFile(file, bytes->data() + used, part, &got, nullptr)) {
      DWORD error = GetLastError();
      if (error == ERROR_BROKEN_PIPE) break;
      explain(error, reason);
      return ReadResult::kReadFailed;
    }
    if (got == 0) break;
    used += got;
  }
  bytes->resize(used);
  return ReadResult::kOk;
}

// The error of the last call that failed, or 0 when `done`.
DWORD failure(bool done) {
  DWORD error = GetLastError();
  return done ? 0 : error ? error : ERROR_GEN_FAILURE;
}

// `expected`, when not null, is the stamp the target must still have.
DWORD replaceTarget(const std::string& path, std::string_view text,
                    const FileStamp* expected, bool* changed) {
  if (path.empty() || path.find('\0') != std::string::npos)
    return ERROR_INVALID_NAME;
  std::wstring target = widen(path);
  BY_HANDLE_FILE_INFORMATION info;
  bool known = identify(path, &info);
  if (expected && (!known || stampOf(info) != *expected)) {
    *changed = true;
    return 0;
  }
  if (isDevice(target))
    return failure(writeFile(target, OPEN_EXISTING, text, false));
  DWORD attributes = GetFileAttributesW(target.c_str());
  bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & FILE_ATTRIBUTE_READONLY))
    return ERROR_ACCESS_DENIED;
  wchar_t temporary[MAX_PATH + 1];
  if (!GetTempFileNameW(directoryOf(target).c_str(), L"qfx", 0, temporary)) {
    DWORD error = GetLastError();
    if (exists && error == ERROR_ACCESS_DENIED)
      return failure(overwriteInPlace(target, text));
    return error;
  }
  bool done = writeFile(temporary, TRUNCATE_EXISTING, text, true);
  if (done && exists) SetFileAttributesW(temporary, attributes);
  done =
      done && MoveFileExW(temporary, target.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  DWORD error = failure(done);
  if (!done) DeleteFileW(temporary);
  return error;
}

BOOL WINAPI onInterrupt(DWORD) {
  shutReplaces();
  ExitProcess(STATUS_CONTROL_C_EXIT);
}

}  // namespace

ReadResult readWholeFile(const std::string& path, Bytes* bytes,
                         std::string* reason, FileStamp* stamp) {
  if (path.find('\0') != std::string::npos) {
    explain(ERROR_INVALID_NAME, reason);
    return ReadResult::kOpenFailed;
  }
  HANDLE file = CreateFileW(widen(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    explain(GetLastError(), reason);
    return ReadResult::kOpenFailed;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (stamp && GetFileInformationByHandle(file, &info)) *stamp = stampOf(info);
  ReadResult result = readAll(file, bytes, reason);
  CloseHandle(file);
  return result;
}

ReadResult readStandardInput(Bytes* bytes, std::string* reason) {
  return readAll(GetStdHandle(STD_INPUT_HANDLE), bytes, reason);
}

size_t readStandardInputPart(char* buffer, size_t size) {
  DWORD got = 0;
  DWORD wanted = static_cast<DWORD>(std::min<size_t>(size, 1 << 30));
  if (!ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, wanted, &got, nullptr))
    return 0;
  return got;
}

bool isFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesW(widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool replaceFile(const std::string& path, std::string_view text,
                 std::string* reason) {
  bool changed = false;
  DWORD error = replaceTarget(path, text, nullptr, &changed);
  if (error) explain(error, reason);
  return error == 0;
}

ReplaceResult replaceUnchangedFile(const std::string& path,
                                   std::string_view text,
                                   const FileStamp& stamp,
                                   std::string* reason) {
  if (!beginReplace()) return ReplaceResult::kFailed;
  bool changed = false;
  DWORD error = replaceTarget(path, text, &stamp, &changed);
  endReplace();
  if (changed) return ReplaceResult::kChanged;
  if (error) explain(error, reason);
  return error == 0 ? ReplaceResult::kDone : ReplaceResult::kFailed;
}

InterruptDeferral::InterruptDeferral() {
  SetConsoleCtrlHandler(onInterrupt, TRUE);
}

InterruptDeferral::~InterruptDeferral() {
  SetConsoleCtrlHandler(onInterrupt, FALSE);
}

bool writeSortedOutput(std::string_view bytes) {
  std::fflush(stdout);
  int mode = _setmode(_fileno(stdout), _O_BINARY);
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  bool done = std::fflush(stdout) == 0 && !std::ferror(stdout);
  if (mode != -1) _setmode(_fileno(stdout), mode);
  return done;
}

void writeErrorOutput(std::string_view bytes) {
  std::fflush(stderr);
  int mode = _setmode(_fileno(stderr), _O_BINARY);
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), stderr);
  std::fflush(stderr);
  if (mode != -1) _setmode(_fileno(stderr), mode);
}

bool isSameFile(const std::string& path, const std::string& other) {
  BY_HANDLE_FILE_INFORMATION first;
  BY_HANDLE_FILE_INFORMATION second;
  return identify(path, &first) && identify(other, &second) &&
         first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

std::vector<std::string> commandLine(int, char**) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int k = 0; wide && k < count; ++k) arguments.push_back(narrow(wide[k]));
  LocalFree(wide);
  return arguments;
}

// Only the last part of a path may hold wildcards, as in cmd.exe's own
// commands.
std::vector<std::string> expandWildcards(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  std::string folder =
      slash == std::string::npos ? "" : path.substr(0, slash + 1);
  if (path.find_first_of("*?", folder.size()) == std::string::npos)
    return {path};
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(widen(path).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return {path};
  std::vector<std::string> paths;
  do {
    std::string name = narrow(found.cFileName);
    if (name != "." && name != "..") paths.push_back(folder + name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(paths.begin(), paths.end());
  return paths.empty() ? std::vector<std::string>{path} : paths;
}

int processorCount() {
  return std::max(1u, std::thread::hardware_concurrency());
}
